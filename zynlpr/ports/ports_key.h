// Reading the monitor's ports from the registry: the subkeys of the Ports
// key (g_module.portsKeyPath under HKEY_LOCAL_MACHINE) whose names carry the
// "ZYN_" prefix, each with the description built from HostName and QueueName.
#pragma once

#include <windows.h>

#include <string>

namespace zynlpr {

// Calls fn(ctx, name, description) for each port key, in enumeration order.
// Subkey names of 100 characters or more are not seen (100-character
// enumeration buffer). Nothing is called when the Ports key can't be opened.
void EnumRegistryPorts(void (*fn)(void* ctx, const char* name, const char* description), void* ctx);

// Starts watching the Ports key (g_module.portsKeyPath) and everything below
// it for changes, ending the previous watch. Called as a reload begins, so a
// change made while the keys are read is seen by the next check.
void WatchRegistryPorts();

// True when the watched key is still g_module.portsKeyPath, the default
// description is unchanged, and nothing below the key changed since
// WatchRegistryPorts; false when the watch could not be set up.
bool RegistryPortsUnchanged();

// The host names of the ports under the Ports key, each once (without regard
// to case, as the dialog's list compares), in enumeration order: texts one
// after another, each terminated. False when memory ran out.
bool CollectPortHosts(std::string* hosts);

// True when the Ports key has a subkey of this name.
bool RegistryPortExists(const char* name);

template <typename F>
void ForEachRegistryPort(F&& f) {
    EnumRegistryPorts([](void* ctx, const char* name, const char* description) {
        (*static_cast<F*>(ctx))(name, description);
    }, &f);
}

// The description of a port: "\\host\queue"; a missing one of the two stands
// as an empty text; g_module.defaultDescription when both are missing.
void BuildPortDescription(const char* host, const char* queue, char* buf, size_t cb);

}  // namespace zynlpr
