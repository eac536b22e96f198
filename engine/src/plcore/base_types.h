// Plain types shared by every engine module: sized integers, reals, booleans
// and the intrusive circular doubly linked list used for engine-wide chains.
#pragma once

#include <cstddef>
#include <cstdint>

typedef int8_t RwInt8;
typedef uint8_t RwUInt8;
typedef int16_t RwInt16;
typedef uint16_t RwUInt16;
typedef int32_t RwInt32;
typedef uint32_t RwUInt32;
typedef int64_t RwInt64;
typedef uint64_t RwUInt64;
typedef float RwReal;
typedef char RwChar;
typedef RwInt32 RwBool;

#ifndef TRUE
#define TRUE 1
#endif
#ifndef FALSE
#define FALSE 0
#endif

// Link of an intrusive circular list; an empty list's head points at itself.
struct RwLLLink {
  RwLLLink* next;
  RwLLLink* prev;
};

// List head, its own sentinel.
struct RwLinkList {
  RwLLLink link;
};

inline void rwLinkListInitialize(RwLinkList* list) {
  list->link.next = &list->link;
  list->link.prev = &list->link;
}

inline RwBool rwLinkListEmpty(const RwLinkList* list) { return list->link.next == &list->link; }

inline RwLLLink* rwLinkListGetFirstLLLink(RwLinkList* list) { return list->link.next; }

inline RwLLLink* rwLinkListGetLastLLLink(RwLinkList* list) { return list->link.prev; }

inline RwLLLink* rwLinkListGetTerminator(RwLinkList* list) { return &list->link; }

// Inserts at the front of the list.
inline void rwLinkListAddLLLink(RwLinkList* list, RwLLLink* link) {
  link->next = list->link.next;
  link->prev = &list->link;
  list->link.next->prev = link;
  list->link.next = link;
}

// Unlinks from whatever list holds the link; the link then points at itself.
inline void rwLLLinkRemove(RwLLLink* link) {
  link->prev->next = link->next;
  link->next->prev = link->prev;
  link->next = link;
  link->prev = link;
}

inline void rwLLLinkInitialize(RwLLLink* link) {
  link->next = link;
  link->prev = link;
}

// The record that holds a link, given the link's field name.
#define rwLLLinkGetData(linkPointer, type, field) \
  (reinterpret_cast<type*>(reinterpret_cast<RwUInt8*>(linkPointer) - offsetof(type, field)))
