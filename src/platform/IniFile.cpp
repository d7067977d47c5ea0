#include "platform/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QTextStream>

namespace platform {

IniFile::IniFile(const QString& path) : m_path(path) {}

IniFileLock::IniFileLock(const QString& iniPath)
{
    QDir().mkpath(QFileInfo(iniPath).absolutePath());
    m_lock = std::make_unique<QLockFile>(iniPath + QStringLiteral(".lock"));
    m_lock->setStaleLockTime(10000);
    if (!m_lock->tryLock(5000))
        m_lock.reset(); // never wait for ever: write without the lock
}

IniFileLock::~IniFileLock() = default;

bool IniFile::load()
{
    m_sections.clear();
    QFile f(m_path);
    if (!f.exists())
        return true;
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QString text = QString::fromUtf8(f.readAll());
    Section* current = nullptr;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')))
            continue;
        if (trimmed.startsWith(QLatin1Char('['))) {
            const int close = trimmed.indexOf(QLatin1Char(']'));
            if (close < 0) { // damaged header: skip the entries below it
                current = nullptr;
                continue;
            }
            const QString name = trimmed.mid(1, close - 1).trimmed();
            current = findSection(name);
            if (!current) {
                m_sections.push_back(Section{name, {}});
                current = &m_sections.back();
            }
            continue;
        }
        const int eq = line.indexOf(QLatin1Char('='));
        if (!current || eq <= 0)
            continue;
        const QString key = line.left(eq).trimmed();
        if (key.isEmpty())
            continue;
        QString value = line.mid(eq + 1).trimmed();
        if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
            value = value.mid(1, value.size() - 2);
        bool found = false;
        for (auto& e : current->entries) {
            if (e.key.compare(key, Qt::CaseInsensitive) == 0) { // first occurrence wins, as on Windows
                found = true;
                break;
            }
        }
        if (!found)
            current->entries.push_back(Entry{key, value});
    }
    return true;
}

bool IniFile::save() const
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile f(m_path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
    QString out;
    for (const auto& s : m_sections) {
        out += QLatin1Char('[') + s.name + QLatin1String("]\n");
        for (const auto& e : s.entries)
            out += e.key + QLatin1Char('=') + e.value + QLatin1Char('\n');
    }
    f.write(out.toUtf8());
    return f.commit();
}

IniFile::Section* IniFile::findSection(const QString& name)
{
    for (auto& s : m_sections)
        if (s.name.compare(name, Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

const IniFile::Section* IniFile::findSection(const QString& name) const
{
    return const_cast<IniFile*>(this)->findSection(name);
}

bool IniFile::contains(const QString& section, const QString& key) const
{
    if (const Section* s = findSection(section))
        for (const auto& e : s->entries)
            if (e.key.compare(key, Qt::CaseInsensitive) == 0)
                return true;
    return false;
}

QString IniFile::value(const QString& section, const QString& key, const QString& def) const
{
    if (const Section* s = findSection(section))
        for (const auto& e : s->entries)
            if (e.key.compare(key, Qt::CaseInsensitive) == 0)
                return e.value;
    return def;
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value)
{
    Section* s = findSection(section);
    if (!s) {
        m_sections.push_back(Section{section, {}});
        s = &m_sections.back();
    }
    QString clean = value;
    clean.replace(QLatin1Char('\r'), QLatin1Char(' ')).replace(QLatin1Char('\n'), QLatin1Char(' '));
    for (auto& e : s->entries) {
        if (e.key.compare(key, Qt::CaseInsensitive) == 0) {
            e.value = clean;
            return;
        }
    }
    s->entries.push_back(Entry{key, clean});
}

void IniFile::removeKey(const QString& section, const QString& key)
{
    if (Section* s = findSection(section))
        for (auto it = s->entries.begin(); it != s->entries.end(); ++it)
            if (it->key.compare(key, Qt::CaseInsensitive) == 0) {
                s->entries.erase(it);
                return;
            }
}

void IniFile::removeSection(const QString& section)
{
    for (auto it = m_sections.begin(); it != m_sections.end(); ++it)
        if (it->name.compare(section, Qt::CaseInsensitive) == 0) {
            m_sections.erase(it);
            return;
        }
}

QStringList IniFile::sections() const
{
    QStringList out;
    for (const auto& s : m_sections)
        out << s.name;
    return out;
}

QStringList IniFile::keys(const QString& section) const
{
    QStringList out;
    if (const Section* s = findSection(section))
        for (const auto& e : s->entries)
            out << e.key;
    return out;
}

} // namespace platform
