#pragma once

#include <QString>
#include <stdexcept>

// A failure carrying the database's or the file system's own text. Engine code
// throws it; the command wrapper of the window (or the batch command) shows the text.
class Napaka : public std::runtime_error {
public:
    explicit Napaka(const QString& besedilo) : std::runtime_error(besedilo.toStdString()), m_besedilo(besedilo) {}
    const QString& besedilo() const noexcept { return m_besedilo; }

private:
    QString m_besedilo;
};
