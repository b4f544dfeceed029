#pragma once
// Settings of this workstation, kept under the program key or beside the program file: the
// distributor text, the main window's background, the documents' open modes, the serial ports
// of the weighing indicators and the updater flag.
#include <string>
#include <vector>

// The distributor file's first line for 0 ("Vornel公司" when empty), for 1
// everything after it; the file lies beside the program with the extension "smi".
std::string GetDistributorText(int part);

// Whether the machine has a network connection other than the loopback.
bool SmInternetConnected();
// Background of the main window: mode 0 picture, 1 web page. A missing mode stays as passed
// in; a web page falls back to the picture without an address or connection. True for the web
// page, and for the picture when its file exists.
bool LoadFrameBackground(int& mode, std::string& picture, std::string& page,
                         bool connected = SmInternetConnected());
bool SaveFrameBackground(int mode, const std::string& picture, const std::string& page);

// Open-mode texts of the document kind (a, b): entry n holds the value named "n"; returns the
// count.
int ReadDocOpenModes(int a, int b, std::vector<std::string>& modes);
bool WriteDocOpenMode(int a, int b, const std::vector<std::string>& modes);
bool DeleteDocOpenModes(int a, int b);

// Serial ports: one value per port, "%d,%c,%d,%d,%d,%d,%d" (baud rate, parity letter, data
// bits, stop bits, receive length, decode mode, scale-down factor).
int LoadCommPorts(std::vector<std::string>& names, std::vector<std::string>& definitions);
bool ReadCommPort(const std::string& name, std::string& definition);
bool WriteCommPort(const std::string& name, const std::string& definition);
bool DeleteCommPort(const std::string& name);
// The device a serial port reads from ("/dev/ttyUSB0", a pseudo-terminal of the indicator
// player), kept per port in a key of its own beside the definitions; empty when not set.
std::string ReadCommDevice(const std::string& name);
bool WriteCommDevice(const std::string& name, const std::string& device);

// "SoftUp" as a number, 3 when missing.
int ReadUpdaterFlag();
