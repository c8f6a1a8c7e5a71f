// About box, help file, external editor and the start-up shortcut.
#pragma once
#include <windows.h>

void ShowAbout(HWND mainWindow);
int ShowHelp(HWND owner);
void LaunchEditor(const char* fileName);
int RegisterStartup();
