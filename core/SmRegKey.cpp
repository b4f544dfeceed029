#include "core/SmRegKey.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>
#include <algorithm>
#include <memory>

#include "core/SmGbk.h"
#include "core/SmNumber.h"

namespace {

const char* RootName(SmRegRoot root) {
  switch (root) {
    case SM_HKEY_CLASSES_ROOT:
      return "HKEY_CLASSES_ROOT";
    case SM_HKEY_LOCAL_MACHINE:
      return "HKEY_LOCAL_MACHINE";
    default:
      return "HKEY_CURRENT_USER";
  }
}

// The settings store reads "/" and "\" inside a name as a level and "%" as its own escape, so
// names are stored with those three characters written as %2F, %5C and %25.
QString EscapeName(const QString& name) {
  QString out;
  out.reserve(name.size());
  for (const QChar c : name) {
    if (c == '%') {
      out += QStringLiteral("%25");
    } else if (c == '/') {
      out += QStringLiteral("%2F");
    } else if (c == '\\') {
      out += QStringLiteral("%5C");
    } else {
      out += c;
    }
  }
  return out;
}

QString UnescapeName(const QString& stored) {
  QString out;
  out.reserve(stored.size());
  for (qsizetype i = 0; i < stored.size(); ++i) {
    const QStringView code = QStringView(stored).mid(i, 3);
    if (code.compare(QStringLiteral("%25"), Qt::CaseInsensitive) == 0) {
      out += '%';
    } else if (code.compare(QStringLiteral("%2F"), Qt::CaseInsensitive) == 0) {
      out += '/';
    } else if (code.compare(QStringLiteral("%5C"), Qt::CaseInsensitive) == 0) {
      out += '\\';
    } else {
      out += stored[i];
      continue;
    }
    i += 2;
  }
  return out;
}

// Key path in the store's form: only "\" separates levels ("/" belongs to the name), no empty
// levels.
QString GroupOf(const std::string& subkey) {
  const QStringList parts = QString::fromStdString(subkey).split('\\', Qt::SkipEmptyParts);
  QStringList escaped;
  for (const QString& part : parts) escaped << EscapeName(part);
  return escaped.join('/');
}

std::unique_ptr<QSettings> OpenRoot(SmRegRoot root) {
#ifdef Q_OS_WIN
  return std::make_unique<QSettings>(QString(RootName(root)), QSettings::NativeFormat);
#else
  return std::make_unique<QSettings>(QString::fromStdString(CSmRegKey::StoreFile(root)),
                                     QSettings::IniFormat);
#endif
}

// Writes the store back. The settings hold the saved server log-in, so on this system the file
// and its folder are readable by the user only.
bool Commit(QSettings& s) {
  s.sync();
  if (s.status() != QSettings::NoError) return false;
#ifndef Q_OS_WIN
  const QFileInfo file(s.fileName());
  QFile::setPermissions(file.absolutePath(),
                        QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
  QFile::setPermissions(file.absoluteFilePath(), QFile::ReadOwner | QFile::WriteOwner);
#endif
  return true;
}

bool GroupExists(QSettings& s, const QString& group) {
  if (group.isEmpty()) return true;
  const int cut = group.lastIndexOf('/');
  const QString parent = cut < 0 ? QString() : group.left(cut);
  const QString leaf = cut < 0 ? group : group.mid(cut + 1);
  s.beginGroup(parent);
  const bool found = s.childGroups().contains(leaf) || s.childKeys().contains(leaf);
  s.endGroup();
  if (found) return true;
  s.beginGroup(group);
  const bool any = !s.allKeys().isEmpty();
  s.endGroup();
  return any;
}

// The unnamed (default) value of a key: the settings file cannot hold an empty name, so it is
// kept under "." (which the native registry also reads as the default value).
QString ValueKey(const std::string& name) {
  return name.empty() ? QStringLiteral(".") : EscapeName(QString::fromStdString(name));
}

std::string ValueName(const QString& key) {
  return key == QStringLiteral(".") ? std::string() : UnescapeName(key).toStdString();
}

// Exchange sort over the names, moving the data in step: sort 1 by name in code-page order,
// sort 2 by name read as a number (names that are not numbers count as 0).
void SortValues(std::vector<std::string>& names, std::vector<std::string>& data, int sort) {
  auto smaller = [sort](const std::string& a, const std::string& b) {
    if (sort == 2) return StrToLongDef(a, 0) < StrToLongDef(b, 0);
    return GbkCompare(a, b) < 0;
  };
  for (size_t i = 0; i < names.size(); ++i) {
    for (size_t j = i + 1; j < names.size(); ++j) {
      if (!smaller(names[j], names[i])) continue;
      std::swap(names[i], names[j]);
      std::swap(data[i], data[j]);
    }
  }
}

}  // namespace

CSmRegKey::~CSmRegKey() = default;

std::string CSmRegKey::StoreFile(SmRegRoot root) {
  QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
  if (base.isEmpty()) base = QDir::homePath() + "/.config";
  return (base + "/canemill/" + RootName(root) + ".ini").toStdString();
}

bool CSmRegKey::KeyExists(SmRegRoot root, const std::string& subkey) {
  auto s = OpenRoot(root);
  return GroupExists(*s, GroupOf(subkey));
}

bool CSmRegKey::Open(SmRegRoot root, const std::string& subkey, const std::string& name,
                     std::string& text) {
  text.clear();
  auto s = OpenRoot(root);
  s->beginGroup(GroupOf(subkey));
  const QVariant v = s->value(ValueKey(name));
  if (!v.isValid()) return false;
  text = v.toString().toStdString();
  return true;
}

bool CSmRegKey::SetValue(SmRegRoot root, const std::string& subkey, const std::string& name,
                         const std::string& text) {
  auto s = OpenRoot(root);
  s->beginGroup(GroupOf(subkey));
  s->setValue(ValueKey(name), QString::fromStdString(text));
  s->endGroup();
  return Commit(*s);
}

bool CSmRegKey::GetSubKeyList(SmRegRoot root, const std::string& subkey,
                              std::vector<std::string>& names) {
  names.clear();
  auto s = OpenRoot(root);
  const QString group = GroupOf(subkey);
  if (!GroupExists(*s, group)) return false;
  s->beginGroup(group);
  for (const QString& g : s->childGroups()) names.push_back(UnescapeName(g).toStdString());
  return true;
}

bool CSmRegKey::GetValueList(SmRegRoot root, const std::string& subkey,
                             std::vector<std::string>& names, std::vector<std::string>& data,
                             int sort) {
  names.clear();
  data.clear();
  auto s = OpenRoot(root);
  const QString group = GroupOf(subkey);
  if (!GroupExists(*s, group)) return false;
  s->beginGroup(group);
  for (const QString& k : s->childKeys()) {
    names.push_back(ValueName(k));
    data.push_back(s->value(k).toString().toStdString());
  }
  if (sort != 0) SortValues(names, data, sort);
  return true;
}

bool CSmRegKey::DeleteValue(SmRegRoot root, const std::string& subkey, const std::string& name) {
  auto s = OpenRoot(root);
  s->beginGroup(GroupOf(subkey));
  const QString key = ValueKey(name);
  if (!s->childKeys().contains(key)) return false;
  s->remove(key);
  s->endGroup();
  return Commit(*s);
}

bool CSmRegKey::DeleteKey(SmRegRoot root, const std::string& subkey) {
  auto s = OpenRoot(root);
  const QString group = GroupOf(subkey);
  if (group.isEmpty() || !GroupExists(*s, group)) return false;
  s->beginGroup(group);
  const bool hasSubkeys = !s->childGroups().isEmpty();
  s->endGroup();
  if (hasSubkeys) return false;
  s->remove(group);
  return Commit(*s);
}

bool CSmRegKey::DeleteValues(SmRegRoot root, const std::string& subkey) {
  std::vector<std::string> names, data;
  if (!GetValueList(root, subkey, names, data, 0)) return false;
  bool ok = true;
  for (const std::string& n : names) ok = DeleteValue(root, subkey, n) && ok;
  return ok;
}

bool CSmRegKey::DeleteKeyTree(SmRegRoot root, const std::string& subkey) {
  if (!KeyExists(root, subkey)) return false;
  bool ok = DeleteValues(root, subkey);
  std::vector<std::string> children;
  if (GetSubKeyList(root, subkey, children)) {
    for (const std::string& c : children) ok = DeleteKeyTree(root, subkey + "\\" + c) && ok;
  }
  // A key left with nothing in it is gone from the file already.
  const bool removed = DeleteKey(root, subkey) || !KeyExists(root, subkey);
  return removed && ok;
}
