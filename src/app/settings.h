// Pelmor.ini: the 24 settings of sections WINDOW and OPTION, and the editor path.
#pragma once
#include <cstddef>

void LoadSettings();
void SaveSettings();
// TEXT/PATH, read from the file each time it is needed.
void ReadEditorPath(const char* defaultValue, char* path, size_t size);
void WriteEditorPath(const char* path);
