#include "platform/FormRegistry.h"

namespace platform {

FormRegistry& FormRegistry::instance()
{
    static FormRegistry reg;
    return reg;
}

void FormRegistry::prune() const
{
    for (int i = m_items.size() - 1; i >= 0; --i)
        if (m_items[i].form.isNull())
            m_items.removeAt(i);
}

void FormRegistry::registerForm(QWidget* form, const QString& name)
{
    prune();
    for (auto& item : m_items)
        if (item.form == form) {
            item.name = name;
            return;
        }
    m_items.append(Item{form, name});
}

void FormRegistry::unregisterForm(QWidget* form)
{
    for (int i = m_items.size() - 1; i >= 0; --i)
        if (m_items[i].form == form || m_items[i].form.isNull())
            m_items.removeAt(i);
}

bool FormRegistry::isLoaded(const QString& name) const { return find(name) != nullptr; }

QWidget* FormRegistry::find(const QString& name) const
{
    prune();
    for (const auto& item : m_items)
        if (item.name.compare(name, Qt::CaseInsensitive) == 0)
            return item.form;
    return nullptr;
}

QList<QWidget*> FormRegistry::forms() const
{
    prune();
    QList<QWidget*> out;
    for (const auto& item : m_items)
        out << item.form;
    return out;
}

QString FormRegistry::nameOf(const QWidget* form) const
{
    for (const auto& item : m_items)
        if (item.form == form)
            return item.name;
    return QString();
}

} // namespace platform
