#include "app/SmKeyring.h"

#include <qt6keychain/keychain.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QEventLoop>
#include <QFile>

#include "core/SmRegKey.h"

namespace {

const QString kService = QStringLiteral("canemill");

// Runs a keychain job to its end; true when it ended without an error.
bool RunJob(QKeychain::Job& job) {
  job.setAutoDelete(false);
  QEventLoop loop;
  QObject::connect(&job, &QKeychain::Job::finished, &loop, &QEventLoop::quit);
  job.start();
  loop.exec();
  return job.error() == QKeychain::NoError;
}

}  // namespace

bool SmKeyringRuns() {
#ifdef Q_OS_WIN
  return true;
#else
  // Asked on the session bus first: a job without a service behind it would wait for long.
  const QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected() || !bus.interface()) return false;
  for (const char* name : {"org.freedesktop.secrets", "org.kde.kwalletd5", "org.kde.kwalletd6"})
    if (bus.interface()->isServiceRegistered(QString::fromLatin1(name))) return true;
  return false;
#endif
}

bool SmKeyringWrite(const std::string& account, const std::string& secret) {
  if (!SmKeyringRuns()) return false;
  QKeychain::WritePasswordJob job(kService);
  job.setKey(QString::fromStdString(account));
  job.setTextData(QString::fromStdString(secret));
  return RunJob(job);
}

bool SmKeyringRead(const std::string& account, std::string& secret) {
  secret.clear();
  if (!SmKeyringRuns()) return false;
  QKeychain::ReadPasswordJob job(kService);
  job.setKey(QString::fromStdString(account));
  if (!RunJob(job)) return false;
  secret = job.textData().toStdString();
  return true;
}

bool SmRestrictSettingsFile() {
  const QString file = QString::fromStdString(CSmRegKey::StoreFile(SM_HKEY_CURRENT_USER));
  return QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}
