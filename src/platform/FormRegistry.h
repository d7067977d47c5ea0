#pragma once
#include <QList>
#include <QPointer>
#include <QString>
#include <QWidget>

namespace platform {

// The list of loaded windows. A window is "loaded" from registerForm() until it is
// unregistered or destroyed. Names compare without regard to case.
class FormRegistry {
public:
    static FormRegistry& instance();

    void registerForm(QWidget* form, const QString& name);
    void unregisterForm(QWidget* form);
    bool isLoaded(const QString& name) const;
    QWidget* find(const QString& name) const; // first loaded window of that name
    QList<QWidget*> forms() const;            // in the order they were loaded
    QString nameOf(const QWidget* form) const;

private:
    struct Item { QPointer<QWidget> form; QString name; };
    void prune() const;
    mutable QList<Item> m_items;
};

} // namespace platform
