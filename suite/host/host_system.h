// What the host needs from the system: its environment and loading the module.
#pragma once

#include <string>

#ifdef _WIN32
#define HOST_MODULE_FILE "VELDRO.dll"
#define HOST_NO_DIALOGS "no desktop for the dialogs"
#else
#define HOST_MODULE_FILE "VELDRO.so"
#define HOST_NO_DIALOGS "no terminal for the dialogs"
#endif

namespace host {

// Sets a variable of this process's environment (seen by the module); an empty value removes it.
void setEnvironment(const char* name, const std::string& value);

// Loads the module: the file DP_MODULE names, or the first of the usual places that loads.
// tried lists the places; error says why the last one failed.
void* loadModule(std::string& tried, std::string& error);

// The address of an exported entry of the loaded module, or nullptr.
void* findEntry(void* module, const char* name);

}  // namespace host
