// The rendering engine's whole public interface: every type, constant and
// function of the core, the Direct3D 8 driver, the world module, plugins and
// toolkits that callers may use.
#pragma once
