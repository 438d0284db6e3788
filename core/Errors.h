#pragma once

#include <QString>

#include <exception>

// An error a command raises and the application's standard error box shows,
// ending the command (for example "'12a' is not a valid integer value").
class EKordavinaError : public std::exception
{
public:
    explicit EKordavinaError(QString message)
        : m_message(std::move(message)), m_utf8(m_message.toUtf8())
    {
    }
    const QString &Message() const { return m_message; }
    const char *what() const noexcept override { return m_utf8.constData(); }

private:
    QString m_message;
    QByteArray m_utf8;
};

// A text that should have been a whole number.
class EConvertError : public EKordavinaError
{
public:
    using EKordavinaError::EKordavinaError;
    static EConvertError NotAnInteger(const QString &text)
    {
        return EConvertError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    }
};
