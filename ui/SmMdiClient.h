#pragma once
// The page behind the document windows of the main frame's MDI area: a text browser that fills
// the area and shows either a page's HTML or a picture as the page's background. A right click
// in the page opens the main window's context menu instead of the browser's own.
#include <QObject>
#include <QTextBrowser>
#include <string>

class QMdiArea;

class CWebBrowser2 : public QTextBrowser {
  Q_OBJECT
 public:
  explicit CWebBrowser2(QWidget* parent = nullptr);

  // Shows the page at an address: a local file (or file: address) is loaded, any other
  // address is shown as a link to it.
  void Navigate(const std::string& address);
  // Replaces the page with an HTML text.
  void LoadHtml(const std::string& html);
  const std::string& Address() const { return m_address; }

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  std::string m_address;
};

class CMdiClient : public QObject {
  Q_OBJECT
 public:
  CMdiClient() = default;

  // Attaches to the MDI area and puts the browser behind its document windows.
  bool SubclassWindow(QMdiArea* area);
  CWebBrowser2* Browser() const { return m_browser; }
  QMdiArea* Area() const { return m_area; }

  std::string m_text;  // the page text kept for the frame

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void FitBrowser();

  QMdiArea* m_area = nullptr;
  CWebBrowser2* m_browser = nullptr;
};
