#pragma once
// Shared by every test program: a QApplication on the offscreen platform, the message service
// in test mode, the "C" numeric locale, and a private home for settings and data folders.
#include <string>

// Folder that stands for the user's home in this test run (settings and data live below it).
std::string SmTestHome();

// Clears the message service's queues and the list of shown boxes.
void SmResetMessages();
