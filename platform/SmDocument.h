#pragma once
// Documents, views, document templates, child frames and the main frame over Qt's MDI area.
// A template makes a document, a child frame (an MDI sub-window) and the frame's view; the
// document lives while one of its views does. Commands go to the active view, its document,
// its child frame, then the main frame (and the application after it, CSmCommandManager).
#include <QMainWindow>
#include <QMdiSubWindow>
#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/SmCommand.h"

class QMdiArea;
class QMenuBar;
class CSmMultiDocTemplate;
class CSmChildFrame;
class CSmView;

class CSmDocument : public CSmCmdTarget {
 public:
  CSmDocument() = default;
  ~CSmDocument() override;
  CSmDocument(const CSmDocument&) = delete;
  CSmDocument& operator=(const CSmDocument&) = delete;

  // Hooks of the document's life; false refuses the opening.
  virtual bool OnNewDocument() { return true; }
  virtual bool OnOpenDocument(const std::string& path);
  virtual bool OnSaveDocument(const std::string& path);
  // Closes every frame of the document and destroys it.
  virtual void OnCloseDocument();
  // Asks to save changes; false when the user cancels (the close is refused).
  virtual bool SaveModified();
  // Whether the document may close with the given frame (its last one).
  virtual bool CanCloseFrame(CSmChildFrame* frame);

  const std::string& GetTitle() const { return m_title; }
  virtual void SetTitle(const std::string& title);
  const std::string& GetPathName() const { return m_pathName; }
  void SetPathName(const std::string& path);
  virtual bool IsModified() const { return m_modified; }
  void SetModifiedFlag(bool modified = true) { m_modified = modified; }

  CSmMultiDocTemplate* GetDocTemplate() const { return m_template; }
  const std::vector<CSmView*>& Views() const { return m_views; }
  void AddView(CSmView* view);
  void RemoveView(CSmView* view);
  // Calls OnUpdate of every view but the sender.
  void UpdateAllViews(CSmView* sender, long hint = 0);

 protected:
  // A view left the document (closed, destroyed or moved to another document): a document that
  // keeps pointers to some of its views forgets it here. Also called while the view is being
  // destroyed, so compare the pointer and do not call it.
  virtual void OnViewRemoved(CSmView* /*view*/) {}

 private:
  friend class CSmMultiDocTemplate;
  CSmMultiDocTemplate* m_template = nullptr;
  std::vector<CSmView*> m_views;
  std::string m_title;
  std::string m_pathName;
  bool m_modified = false;
  bool m_closing = false;
};

class CSmView : public QWidget, public CSmCmdTarget {
  Q_OBJECT
 public:
  explicit CSmView(QWidget* parent = nullptr) : QWidget(parent) {}
  ~CSmView() override;

  CSmDocument* GetDocument() const { return m_document; }
  // The child frame the view lies in, or null.
  CSmChildFrame* GetParentFrame() const;

  // Called when the view joined its document (GetDocument is set): a view its document keeps
  // a pointer to hands itself over here.
  virtual void OnAddedToDocument() {}
  // Called once after the frame with the view is made.
  virtual void OnInitialUpdate() { OnUpdate(nullptr, 0); }
  // Called when the document changed (UpdateAllViews).
  virtual void OnUpdate(CSmView* /*sender*/, long /*hint*/) {}

  void AppendRoute(std::vector<CSmCmdTarget*>& route) override;

 private:
  friend class CSmDocument;
  CSmDocument* m_document = nullptr;
};

class CSmChildFrame : public QMdiSubWindow, public CSmCmdTarget {
  Q_OBJECT
 public:
  explicit CSmChildFrame(QWidget* parent = nullptr);

  // The view that receives commands first: the one set last, else the frame's first view.
  CSmView* GetActiveView() const;
  void SetActiveView(CSmView* view) { m_activeView = view; }
  CSmDocument* GetActiveDocument() const;

  // Creates what the frame has besides its content; false fails the frame.
  virtual bool Create() { return true; }
  // Puts the view (or the widget holding the views) into the frame.
  virtual void SetContent(QWidget* content) { setWidget(content); }
  // Shows the frame and makes it the active one.
  virtual void ActivateFrame();
  // Sets the main frame's menu bar for this frame while it is active.
  virtual void OnUpdateFrameMenu(QMenuBar* /*bar*/) {}

  void AppendRoute(std::vector<CSmCmdTarget*>& route) override;

  // The field of the frame the clerk had the focus on last; null before the first, or when it
  // is gone.
  QWidget* LastField() const { return m_lastField; }

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  QPointer<CSmView> m_activeView;
  QPointer<QWidget> m_lastField;
};

// Makes documents of one kind with their frames and views, and owns the open ones.
class CSmMultiDocTemplate {
 public:
  using DocumentFactory = std::function<std::unique_ptr<CSmDocument>()>;
  // Makes the frame's content: one view, or a widget holding several views.
  using ViewFactory = std::function<QWidget*(CSmDocument*, CSmChildFrame*)>;
  using FrameFactory = std::function<CSmChildFrame*()>;

  CSmMultiDocTemplate(int resourceId, DocumentFactory document, ViewFactory view,
                      FrameFactory frame = {});
  virtual ~CSmMultiDocTemplate();
  CSmMultiDocTemplate(const CSmMultiDocTemplate&) = delete;
  CSmMultiDocTemplate& operator=(const CSmMultiDocTemplate&) = delete;

  int GetResourceId() const { return m_resourceId; }

  // Opens a document: empty path makes a new one (OnNewDocument), else OnOpenDocument.
  // With visible false no frame is made. Null when the document refuses.
  virtual CSmDocument* OpenDocumentFile(const std::string& path, bool visible = true);
  virtual std::unique_ptr<CSmDocument> CreateNewDocument();
  // Makes the child frame with its view(s) in the main frame's MDI area.
  virtual CSmChildFrame* CreateNewFrame(CSmDocument* doc);
  // A frame of the template's frame class, not yet created.
  CSmChildFrame* MakeFrame() const;
  // Creates the frame, gives it the document's views and puts it into the main frame; null
  // (and the frame destroyed) when the frame or its views cannot be made.
  CSmChildFrame* AttachFrame(CSmChildFrame* frame, CSmDocument* doc);
  virtual void InitialUpdateFrame(CSmChildFrame* frame, CSmDocument* doc, bool visible = true);

  const std::vector<std::unique_ptr<CSmDocument>>& Documents() const { return m_documents; }
  // Takes a document made by a derived template's own opening into this template's keeping.
  CSmDocument* AddDocument(std::unique_ptr<CSmDocument> doc);
  // Destroys a document this template owns.
  void RemoveDocument(CSmDocument* doc);
  // Asks every document to save; false when one refuses.
  bool SaveAllModified();
  void CloseAllDocuments();

 private:
  int m_resourceId;
  DocumentFactory m_documentFactory;
  ViewFactory m_viewFactory;
  FrameFactory m_frameFactory;
  std::vector<std::unique_ptr<CSmDocument>> m_documents;
};

// The templates of the program, in the order they were added.
class CSmDocManager {
 public:
  void AddDocTemplate(std::unique_ptr<CSmMultiDocTemplate> docTemplate);
  const std::vector<std::unique_ptr<CSmMultiDocTemplate>>& Templates() const { return m_templates; }
  CSmMultiDocTemplate* FindTemplate(int resourceId) const;
  bool SaveAllModified();
  void CloseAllDocuments();
  int DocumentCount() const;

 private:
  std::vector<std::unique_ptr<CSmMultiDocTemplate>> m_templates;
};

// A main window with an MDI area; the one made main starts every command route. Its keys work
// in every document window, whatever the window's own keys: Ctrl+F4 closes the active one (关闭,
// with its document's save question), Ctrl+F6 and Ctrl+Shift+F6 go to the next and the previous
// one.
class CSmFrameWnd : public QMainWindow, public CSmCmdTarget {
  Q_OBJECT
 public:
  explicit CSmFrameWnd(QWidget* parent = nullptr);
  ~CSmFrameWnd() override;

  // The main frame of the program (where templates put their frames), or null.
  static CSmFrameWnd* Main();
  void MakeMain();

  QMdiArea* MdiArea() const { return m_mdiArea; }
  CSmChildFrame* GetActiveChild() const;
  void AddChild(CSmChildFrame* child);
  // Activates the next (or previous) document window, in the order they opened, and gives it
  // the focus where it last was; from outside the document windows, the active one. False when
  // there is no other window.
  bool ActivateNextChild(bool forward);
  // Gives the focus to the active document window where it last was.
  void FocusActiveChild();

  // Cascade and the two tilings, whatever state (maximised, minimised) the children are in;
  // 关闭 closes the active document window when nothing before the frame took it.
  bool OnCommand(int id) override;
  bool OnUpdateCommand(int id, CSmCmdUI& ui) override;
  // Ends a Window menu with the open document windows as numbered items ("&1 title"), the
  // active one checked; choosing one brings it to the front.
  void ListWindows(QMenu* menu);

  void AppendRoute(std::vector<CSmCmdTarget*>& route) override;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  bool OwnsWindowOf(const QWidget* widget) const;

  QMdiArea* m_mdiArea;
};
