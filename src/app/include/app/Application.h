#pragma once

#include <QString>

// Starts the program: finds the INI file, checks the three tools, reads the settings and runs
// the main window.
class Application
{
public:
    // Start-up steps up to the main window. False after showing the failure's message.
    bool loadSettings();
    // The whole start-up; returns the exit code of the process.
    int run();

    // The INI file: <configuration folder>/Velmora 1/Velmora1.ini.
    static QString iniFilePath();
};
