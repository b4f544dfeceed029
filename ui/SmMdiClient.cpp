#include "ui/SmMdiClient.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QUrl>

CWebBrowser2::CWebBrowser2(QWidget* parent) : QTextBrowser(parent) {
  setFrameShape(QFrame::NoFrame);
  setOpenExternalLinks(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void CWebBrowser2::Navigate(const std::string& address) {
  m_address = address;
  const QString text = QString::fromStdString(address);
  const QUrl url = QUrl::fromUserInput(text);
  if (url.isLocalFile() && QFileInfo(url.toLocalFile()).isFile()) {
    setSource(url);
    return;
  }
  setHtml(QString("<html><body><p><a href=\"%1\">%2</a></p></body></html>")
              .arg(url.toString().toHtmlEscaped(), text.toHtmlEscaped()));
}

void CWebBrowser2::LoadHtml(const std::string& html) {
  // An empty page first, as a browser that has not navigated yet shows "about:blank".
  if (m_address.empty()) m_address = "about:blank";
  clear();
  setHtml(QString::fromStdString(html));
}

void CWebBrowser2::contextMenuEvent(QContextMenuEvent* event) {
  QWidget* main = window();
  if (!main || main == this) {
    QTextBrowser::contextMenuEvent(event);
    return;
  }
  QContextMenuEvent forwarded(event->reason(), main->mapFromGlobal(event->globalPos()),
                              event->globalPos(), event->modifiers());
  QApplication::sendEvent(main, &forwarded);
  event->accept();
}

bool CMdiClient::SubclassWindow(QMdiArea* area) {
  if (!area || m_area) return false;
  m_area = area;
  m_browser = new CWebBrowser2(area->viewport());
  m_browser->setObjectName("0");
  m_browser->setGeometry(0, 0, 400, 400);
  m_browser->lower();
  m_browser->show();
  area->viewport()->installEventFilter(this);
  FitBrowser();
  return true;
}

void CMdiClient::FitBrowser() {
  if (!m_area || !m_browser) return;
  // Grown by 2 pixels on every side so that the browser's own border lies outside the area.
  const QSize size = m_area->viewport()->size();
  m_browser->setGeometry(-2, -2, size.width() + 4, size.height() + 4);
  m_browser->lower();
}

bool CMdiClient::eventFilter(QObject* watched, QEvent* event) {
  if (m_area && watched == m_area->viewport() && event->type() == QEvent::Resize) FitBrowser();
  return QObject::eventFilter(watched, event);
}
