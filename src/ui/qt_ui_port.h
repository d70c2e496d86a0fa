#pragma once

#include "support/ui_port.h"

#include <QPointer>
#include <functional>

class QLabel;
class QStatusBar;
class QWidget;

/// The UI port of the desktop program: message boxes with the exact texts
/// and icons, Yes/No questions with their default button, the three status
/// bar panels, modal calls of other objects and file dialogs.
class QtUiPort : public UiPort {
public:
    /// Opens the object `name` modally; returns false when it is unknown.
    using ObjectCaller = std::function<bool(const QString& name, QString& key, QString& mode)>;

    QtUiPort();
    ~QtUiPort() override;

    /// The window that message boxes and dialogs belong to.
    void setParentWindow(QWidget* window) { parent_ = window; }
    /// Creates the three status bar panels in `statusBar`.
    void attachStatusBar(QStatusBar* statusBar);
    void setObjectCaller(ObjectCaller caller) { caller_ = std::move(caller); }

    void message(const QString& text, MessageIcon icon) override;
    bool question(const QString& text, DefaultButton defaultButton) override;
    void statusText(int panel, const QString& text) override;
    bool callObject(const QString& objectName, QString& key, QString& mode) override;
    QString pickFile(const FileRequest& request) override;
    void processEvents() override;
    /// The wait cursor over every window of the program.
    void beginWait() override;
    void endWait() override;

private:
    QPointer<QWidget> parent_;
    QList<QPointer<QLabel>> panels_;
    ObjectCaller caller_;
};
