#pragma once

#include <QString>
#include <QStringList>

/// How a message box looks: refusals carry the exclamation icon, notices the
/// information icon.
enum class MessageIcon { Exclamation, Information };

/// The button a Yes/No question has focused when it opens.
enum class DefaultButton { Yes, No };

/// What a file dialog asks for.
struct FileRequest {
    QString title;
    QString folder;
    QString filter;     ///< e.g. "Planillas (*.xls *.xlsx)"
    bool forSaving = false;
};

/// The one way the core talks to a person. The engines and procedures never
/// draw anything: they call this port, which the desktop program implements
/// with Qt widgets, `uordane-admin` on the console and the tests with a
/// scripted fake.
class UiPort {
public:
    virtual ~UiPort() = default;

    /// Shows `text` in a message box and waits until it is dismissed.
    virtual void message(const QString& text, MessageIcon icon) = 0;
    /// Asks a Yes/No question; true means Yes.
    virtual bool question(const QString& text, DefaultButton defaultButton) = 0;
    /// Puts `text` into status bar panel 1, 2 or 3.
    virtual void statusText(int panel, const QString& text) = 0;
    /// Calls another object modally: the caller is disabled, never blocked,
    /// until the called object closes. Key and mode are handed back.
    /// Returns false when no object of that name exists.
    virtual bool callObject(const QString& objectName, QString& key, QString& mode) = 0;
    /// Asks for a file name; empty when the person cancels.
    virtual QString pickFile(const FileRequest& request) = 0;
    /// Lets pending window events run, so windows stay alive in long loops.
    virtual void processEvents() = 0;
    /// Shows the wait cursor until the matching endWait(); the calls nest.
    /// Use WaitScope, which ends the wait on every path out. Ports without a
    /// pointer leave them empty.
    virtual void beginWait() {}
    virtual void endWait() {}
};

/// The wait cursor for as long as it lives: while a list loads, a procedure
/// runs or the program starts. Messages and called objects in the middle of
/// it show the ordinary pointer (the port sees to that).
class WaitScope {
public:
    explicit WaitScope(UiPort& ui) : ui_(ui) { ui_.beginWait(); }
    ~WaitScope() { ui_.endWait(); }
    WaitScope(const WaitScope&) = delete;
    WaitScope& operator=(const WaitScope&) = delete;

private:
    UiPort& ui_;
};

/// A port that shows nothing and says No: for code that runs where no one
/// can answer (start-up before a window exists, background checks).
class SilentUiPort : public UiPort {
public:
    void message(const QString&, MessageIcon) override {}
    bool question(const QString&, DefaultButton) override { return false; }
    void statusText(int, const QString&) override {}
    bool callObject(const QString&, QString&, QString&) override { return false; }
    QString pickFile(const FileRequest&) override { return {}; }
    void processEvents() override {}
};
