#pragma once
// Settings store with the shape of the registry: keys are paths with "\" between levels, every
// value is a text. Each root is one INI file under the user's configuration folder (the native
// registry on Windows). Every operation opens what it needs and closes it before it returns.
#include <string>
#include <vector>

enum SmRegRoot : int {
  SM_HKEY_CLASSES_ROOT = 0,
  SM_HKEY_CURRENT_USER = 1,
  SM_HKEY_LOCAL_MACHINE = 2,
};

class CSmRegKey {
 public:
  CSmRegKey() = default;
  virtual ~CSmRegKey();
  CSmRegKey(const CSmRegKey&) = delete;
  CSmRegKey& operator=(const CSmRegKey&) = delete;

  // Reads one value; false and an empty text when the key or value is missing.
  bool Open(SmRegRoot root, const std::string& subkey, const std::string& name, std::string& text);
  // Writes one value, creating the key and every missing level above it.
  bool SetValue(SmRegRoot root, const std::string& subkey, const std::string& name,
                const std::string& text);
  // Names of the direct subkeys.
  bool GetSubKeyList(SmRegRoot root, const std::string& subkey, std::vector<std::string>& names);
  // Names and data of every value; sort 0 none, 1 by name as text, 2 by name as a number.
  bool GetValueList(SmRegRoot root, const std::string& subkey, std::vector<std::string>& names,
                    std::vector<std::string>& data, int sort = 0);
  bool DeleteValue(SmRegRoot root, const std::string& subkey, const std::string& name);
  // Deletes a key that has no subkeys.
  bool DeleteKey(SmRegRoot root, const std::string& subkey);
  bool DeleteValues(SmRegRoot root, const std::string& subkey);
  bool DeleteKeyTree(SmRegRoot root, const std::string& subkey);

  // Whether root\subkey exists (has a value or a subkey).
  static bool KeyExists(SmRegRoot root, const std::string& subkey);
  // Path of the file that holds a root on this machine.
  static std::string StoreFile(SmRegRoot root);
};
