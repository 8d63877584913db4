// SPDX-License-Identifier: MIT
#pragma once

#include <QDialog>
#include <QLabel>

#include <functional>

class QPlainTextEdit;

// How the shell should show what it opens; the values are the show commands.
// Desktop URL handlers choose their own window, so the state is advisory.
enum class TShellWindowState { swHidden = 0, swNormal = 1, swMaximized = 3, swMinimized = 6 };

// Hands a document name or an address (a URL, a "mailto:" address) to the
// desktop to open with its default application. Nothing is reported: a target
// the desktop cannot open is silently left alone.
void ShellOpen(const QString &target, const QString &parameters = QString(), const QString &folder = QString(),
    TShellWindowState state = TShellWindowState::swNormal);

// What ShellOpen does instead of asking the desktop, for tests; an empty hook
// restores the desktop. Returns the hook that was in place.
using TShellOpenHook
    = std::function<void(const QString &target, const QString &parameters, const QString &folder, TShellWindowState)>;
TShellOpenHook setShellOpenHook(TShellOpenHook hook);

// A label of the About box: it keeps its clicks to itself, so clicking it never
// reaches the panel beneath, and reports a left click; a double click is one click.
class TAboutLabel : public QLabel
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TAboutLabel)

public:
    explicit TAboutLabel(QWidget *parent = nullptr);

Q_SIGNALS:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};

// The About box's panel: a raised bevel inside a lowered one. A click or a
// double click on its free area (not on a control) is reported.
class TAboutPanel : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TAboutPanel)

public:
    explicit TAboutPanel(QWidget *parent = nullptr);

Q_SIGNALS:
    void clicked();
    void doubleClicked();

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    bool m_pressed = false;
};

// The About box: the program's name, version, build date, copyright and
// comments as the program file's version block holds them, and links to the
// maker's web site and e-mail address. Filled once when created; shown
// without being modal and hidden again when closed or clicked.
class TAboutBox : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TAboutBox)

public:
    // Reads the running program's file.
    explicit TAboutBox(QWidget *parent = nullptr);
    // Reads programFile instead.
    explicit TAboutBox(const QString &programFile, QWidget *parent = nullptr);
    ~TAboutBox() override;

    TAboutPanel *Panel1 = nullptr;
    TAboutLabel *ProgramTitle = nullptr;
    TAboutLabel *WebSiteLink = nullptr;
    TAboutLabel *EmailLink = nullptr;
    TAboutLabel *StaticText1 = nullptr;
    TAboutLabel *VersionLabel = nullptr;
    QPlainTextEdit *ProgramInfo = nullptr;

    void FormCreate(QObject *Sender);
    void OKButtonClick(QObject *Sender);
    void WebSiteLinkClick(QObject *Sender);
    void EmailLinkClick(QObject *Sender);

private:
    void createControls();
    void placeVersion();

    QString m_programFile;
};
