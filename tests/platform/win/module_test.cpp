// The module an address belongs to: the program's own code and data give the
// program's handle; the heap, a stack and the libraries below the stand-in
// are no module of it.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

#include "platform/win/win32.h"

namespace {

const int kProgramData = 7;
int ProgramCode() { return 1; }

TEST(ModuleHandleTest, AnAddressNamesTheProgramOnlyInsideItsImage) {
  int onStack = 0;
  std::unique_ptr<char[]> onHeap(new char[16]);
  void* fromC = std::malloc(16);
  const DWORD fromAddress = GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT;
  struct tCase {
    const char* what;
    DWORD flags;
    const void* address;
    bool program;
    DWORD error;  // when not the program
  };
  const tCase cases[] = {
      {"the program's code", fromAddress, reinterpret_cast<const void*>(&ProgramCode), true, 0},
      {"the program's data", GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS, &kProgramData, true, 0},
      {"a stack", fromAddress, &onStack, false, ERROR_MOD_NOT_FOUND},
      {"the heap", fromAddress, onHeap.get(), false, ERROR_MOD_NOT_FOUND},
      {"the C runtime's heap", fromAddress, fromC, false, ERROR_MOD_NOT_FOUND},
      {"no address", fromAddress, nullptr, false, ERROR_MOD_NOT_FOUND},
      {"by name: the program", 0, nullptr, true, 0},
      {"an unknown flag", fromAddress | 0x1, reinterpret_cast<const void*>(&ProgramCode), false,
       ERROR_INVALID_PARAMETER},
  };
  for (const tCase& test : cases) {
    SCOPED_TRACE(test.what);
    HMODULE module = reinterpret_cast<HMODULE>(&onStack);
    SetLastError(ERROR_SUCCESS);
    const BOOL found = GetModuleHandleExA(test.flags, static_cast<LPCSTR>(test.address), &module);
    EXPECT_EQ(test.program, found != FALSE);
    EXPECT_EQ(test.program ? GetModuleHandleA(nullptr) : nullptr, module);
    if (!test.program) {
      EXPECT_EQ(test.error, GetLastError());
    }
  }
  std::free(fromC);
  SetLastError(ERROR_SUCCESS);
  EXPECT_FALSE(GetModuleHandleExA(fromAddress, reinterpret_cast<LPCSTR>(&ProgramCode), nullptr));
  EXPECT_EQ(static_cast<DWORD>(ERROR_INVALID_PARAMETER), GetLastError());
}

}  // namespace
