#include "core/SmClipboard.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <map>
#include <memory>

namespace {

constexpr unsigned kFirstPrivateFormat = 0xC000;

std::map<std::string, unsigned>& PrivateFormats() {
  static std::map<std::string, unsigned> formats;
  return formats;
}

// The MIME type that carries a format; "" for an unknown format.
QString MimeTypeOf(unsigned format) {
  if (format == SM_CF_TEXT) return QStringLiteral("text/plain");
  for (const auto& [name, number] : PrivateFormats()) {
    if (number == format)
      return QStringLiteral("application/x-canemill-") + QString::fromStdString(name);
  }
  return QString();
}

QClipboard* Clipboard() {
  return qobject_cast<QGuiApplication*>(QCoreApplication::instance()) ? QGuiApplication::clipboard()
                                                                      : nullptr;
}

}  // namespace

unsigned SmRegisterClipboardFormat(const std::string& name) {
  auto& formats = PrivateFormats();
  const auto found = formats.find(name);
  if (found != formats.end()) return found->second;
  const auto number = kFirstPrivateFormat + static_cast<unsigned>(formats.size());
  formats.emplace(name, number);
  return number;
}

bool SetClipboardText(const std::string& text, unsigned format) {
  QClipboard* clipboard = Clipboard();
  const QString mime = MimeTypeOf(format);
  if (!clipboard || mime.isEmpty()) return false;
  auto data = std::make_unique<QMimeData>();
  if (format == SM_CF_TEXT)
    data->setText(QString::fromStdString(text));
  else
    data->setData(mime, QByteArray::fromStdString(text));
  clipboard->setMimeData(data.release());  // the clipboard owns the data from here
  return true;
}

bool GetClipboardText(std::string& text, unsigned format) {
  text.clear();
  QClipboard* clipboard = Clipboard();
  const QString mime = MimeTypeOf(format);
  if (!clipboard || mime.isEmpty()) return false;
  const QMimeData* data = clipboard->mimeData();
  if (!data || !data->hasFormat(mime)) return false;
  text = format == SM_CF_TEXT ? data->text().toStdString() : data->data(mime).toStdString();
  return true;
}
