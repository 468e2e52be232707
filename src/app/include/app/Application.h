#pragma once

#include "app/StartupFiles.h"

// Starts the program: reads the settings file, checks the three tools and runs the main window.
class Application
{
public:
    // Start-up steps up to the main window. False after showing the failure's message.
    bool loadSettings();
    // The whole start-up; returns the exit code of the process. The files from the command line
    // go to steps 1 and 2 once the window is up, as if they had been dropped on it.
    int run(const StartupFiles &files = {});
};
