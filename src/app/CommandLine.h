#pragma once

#include <QString>
#include <QStringList>

#include <optional>

/// `vorlix-pro [--demo] [--site URL] [--update-url URL] [--update-key BASE64]`.
struct CommandLine
{
    bool demo = false;
    std::optional<QString> site;
    std::optional<QString> updateUrl;
    std::optional<QString> updateKey; // the publisher's public key, checked to be one

    /// Parses the arguments (the program's name first); on a mistake, error holds the message.
    static CommandLine parse(const QStringList& arguments, QString* error);
};
