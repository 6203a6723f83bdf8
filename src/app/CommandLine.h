#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

/// `vorlix-pro [--demo] [--site URL] [--update-url URL] [--update-key BASE64] [LIST.bcl]`, and
/// for scripts `--submit LIST.bcl --permalink URL [--field NAME=VALUE]... [--resubmit]`. Every
/// option also takes the `--name=value` form.
struct CommandLine
{
    /// One `--field NAME=VALUE`: a form field that a script run fills.
    struct Field
    {
        QString name;
        QString value;
        friend bool operator==(const Field&, const Field&) = default;
    };

    bool demo = false;
    std::optional<QString> site;
    std::optional<QString> updateUrl;
    std::optional<QString> updateKey;
    std::optional<QString> listFile; // the list to open at start instead of the state file's

    // A submission without a window.
    std::optional<QString> submitList;
    std::optional<QString> permalink;
    QList<Field> fields;
    bool resubmit = false;

    // Print and end without a window.
    bool help = false;
    bool version = false;

    /// Parses the arguments (the program's name first); on a mistake, error holds the message.
    static CommandLine parse(const QStringList& arguments, QString* error);
    /// Whether the arguments ask for a script run (`--submit`), even when they do not parse: its
    /// mistakes go to stderr only, as no one may be there to see a window.
    static bool asksForScriptRun(const QStringList& arguments);
    /// The options and what they do, for `--help`.
    static QString helpText();
    /// The line that `--version` prints, as "Vorlix Pro 3.2.0.28"; versionText is the program's
    /// version record as text.
    static QString versionLine(const QString& versionText);
};
