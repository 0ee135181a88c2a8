// Plugins of the programs: libraries loaded on first use only, so that what they pull in
// (GDAL, Qt) costs a program nothing at start. A plugin lies beside the program or,
// installed, in lib/<multiarch>/zornak-edz beside its folder.
#pragma once

#include <string>

// The plugin's path, or empty when this build has none. Loads nothing.
std::string PluginPath(const char* file);

// The entry `entry` of plugin `file`, loaded on the first call and kept for the process's
// life; nullptr with the reason in `failure`. Safe from any thread.
void* PluginEntry(const char* file, const char* entry, std::string& failure);
