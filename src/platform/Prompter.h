#pragma once
#include <QDateTime>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <functional>

class QDialog;
class QWidget;

namespace platform {

// Message-box styles and answers, as the program's callers pass and compare them.
enum MsgStyle : int {
    MsgOkOnly = 0,
    MsgCritical = 16,
    MsgQuestionIcon = 32,
    MsgExclamation = 48,
    MsgInformation = 64,
    MsgYesNo = 4,
    MsgDefaultButton2 = 256,
    MsgStyleInfo = 64,       // information icon + OK
    MsgStyleWarn = 48,       // exclamation icon + OK
    MsgStyleYesNo = 36,      // question icon + Yes/No, Yes preselected
    MsgStyleYesNoDefNo = 292 // question icon + Yes/No, No preselected
};
enum MsgAnswer : int { AnswerOk = 1, AnswerCancel = 2, AnswerYes = 6, AnswerNo = 7 };

// The one seam for everything that waits for a person or reaches outside the process:
// message boxes, input boxes, pop-up menus, the colour dialog, modal windows and starting
// other programs. The program installs the Qt implementation; tests install a scripted one.
class Prompter {
public:
    virtual ~Prompter() = default;

    // Shows a message box; returns the button pressed (1 OK, 6 Yes, 7 No).
    virtual int messageBox(const QString& text, const QString& title, int style) = 0;
    // Asks for a line of text; returns false when cancelled (value is then left as it was).
    virtual bool inputBox(const QString& prompt, const QString& title, QString& value) = 0;
    // Shows a pop-up menu at a global position; an empty item is a separator.
    // Returns the index of the chosen item, or -1 when the menu was dismissed.
    virtual int popupMenu(const QStringList& items, const QPoint& globalPos) = 0;
    // Colour dialog; colours are 24-bit with red in the low byte. False when cancelled.
    virtual bool chooseColor(quint32& color, const QString& title = QString()) = 0;
    // Shows a window modally and returns its result code (QDialog::exec()).
    virtual int execModal(QDialog& dialog) = 0;
    // Starts another program without waiting for it; false when it could not be started.
    virtual bool startProgram(const QString& program, const QStringList& arguments,
                              const QString& workingFolder = QString()) = 0;
};

Prompter& prompter();
// Installs another implementation (not owned); nullptr restores the Qt one.
void setPrompter(Prompter* p);

// The clock. Everything that needs "today" or "now" asks here, so tests can fix the time.
QDateTime now();
QDate today();
void setClock(std::function<QDateTime()> clock); // empty function restores the system clock

// The Qt implementation used by the program.
class QtPrompter : public Prompter {
public:
    int messageBox(const QString& text, const QString& title, int style) override;
    bool inputBox(const QString& prompt, const QString& title, QString& value) override;
    int popupMenu(const QStringList& items, const QPoint& globalPos) override;
    bool chooseColor(quint32& color, const QString& title = QString()) override;
    int execModal(QDialog& dialog) override;
    bool startProgram(const QString& program, const QStringList& arguments,
                      const QString& workingFolder) override;
};

} // namespace platform
