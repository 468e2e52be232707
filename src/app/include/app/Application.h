#pragma once

// Starts the program: reads the settings file, checks the three tools and runs the main window.
class Application
{
public:
    // Start-up steps up to the main window. False after showing the failure's message.
    bool loadSettings();
    // The whole start-up; returns the exit code of the process.
    int run();
};
