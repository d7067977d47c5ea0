#include "support/ScriptedPrompter.h"

namespace testsupport {

ScriptedPrompter::ScriptedPrompter() { platform::setPrompter(this); }
ScriptedPrompter::~ScriptedPrompter() { platform::setPrompter(nullptr); }

QList<ScriptedPrompter::Call> ScriptedPrompter::messages() const
{
    QList<Call> out;
    for (const Call& c : calls)
        if (c.kind == QLatin1String("msg"))
            out << c;
    return out;
}

ScriptedPrompter::Call ScriptedPrompter::lastMessage() const
{
    const QList<Call> m = messages();
    return m.isEmpty() ? Call{} : m.last();
}

int ScriptedPrompter::messageBox(const QString& text, const QString& title, int style)
{
    calls << Call{QStringLiteral("msg"), title, text, style};
    if (!msgAnswers.isEmpty())
        return msgAnswers.dequeue();
    if ((style & 0x0F) == platform::MsgYesNo)
        return platform::AnswerNo;
    return defaultMsgAnswer;
}

bool ScriptedPrompter::inputBox(const QString& prompt, const QString& title, QString& value)
{
    calls << Call{QStringLiteral("input"), title, prompt, 0};
    if (inputAnswers.isEmpty())
        return false;
    const QVariant v = inputAnswers.dequeue();
    if (v.isNull())
        return false;
    value = v.toString();
    return true;
}

int ScriptedPrompter::popupMenu(const QStringList& items, const QPoint&)
{
    calls << Call{QStringLiteral("menu"), QString(), items.join(QLatin1Char('|')), 0};
    return menuAnswers.isEmpty() ? -1 : menuAnswers.dequeue();
}

bool ScriptedPrompter::chooseColor(quint32& color, const QString& title)
{
    calls << Call{QStringLiteral("color"), title, QString::number(color), 0};
    if (colorAnswers.isEmpty())
        return false;
    const QVariant v = colorAnswers.dequeue();
    if (v.isNull())
        return false;
    color = v.toUInt();
    return true;
}

int ScriptedPrompter::execModal(QDialog& dialog)
{
    calls << Call{QStringLiteral("modal"), dialog.objectName(), dialog.windowTitle(), 0};
    if (modalAnswers.isEmpty())
        return defaultModalAnswer;
    auto fn = modalAnswers.dequeue();
    return fn(dialog);
}

bool ScriptedPrompter::startProgram(const QString& program, const QStringList& arguments,
                                    const QString&)
{
    calls << Call{QStringLiteral("start"), program, arguments.join(QLatin1Char(' ')), 0};
    return startAnswers.isEmpty() ? defaultStartAnswer : startAnswers.dequeue();
}

} // namespace testsupport
