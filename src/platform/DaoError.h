#pragma once
#include <QString>
#include <exception>
#include <string>

namespace dao {

// Error numbers the callers look for.
enum : long {
    errObjectNotSet = 91,     // the database is not open
    errReadOnly = 3027,       // database or object is read-only
    errObjectNotFound = 3011, // missing table or column
    errDuplicateKey = 3022,   // a unique index or key refused the value
    errNoCurrentRecord = 3021,
    errUpdateWithoutEdit = 3020,
    errLocked = 3261,         // the file is locked by another workstation
    errCannotOpen = 3051,     // the file cannot be opened (no right to read it)
    errGeneric = 3000         // anything else; the description keeps the engine's text
};

// A database error: a number and a description, as the message boxes show them.
class DaoError : public std::exception {
public:
    DaoError(long number, const QString& description)
        : m_number(number), m_description(description), m_what(description.toStdString()) {}
    long number() const { return m_number; }
    QString description() const { return m_description; }
    const char* what() const noexcept override { return m_what.c_str(); }

private:
    long m_number;
    QString m_description;
    std::string m_what;
};

} // namespace dao
