#pragma once
// Saved server passwords in the desktop's keyring, where one runs. Without one the caller keeps
// the password in the settings store, whose file is then readable by the user only.
#include <string>

// True when a keyring service answers on this desktop.
bool SmKeyringRuns();
// Stores or reads the secret of `account`; false when no keyring runs or it refuses.
bool SmKeyringWrite(const std::string& account, const std::string& secret);
bool SmKeyringRead(const std::string& account, std::string& secret);
// Makes the file of the current user's settings store readable and writable by the user only.
bool SmRestrictSettingsFile();
