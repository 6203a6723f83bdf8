#include "app/CommandLine.h"

#include "update/UpdateSignature.h"

#include <QCommandLineParser>
#include <QUrl>

namespace {
const QString kDemo = QStringLiteral("demo");
const QString kSite = QStringLiteral("site");
const QString kUpdateUrl = QStringLiteral("update-url");
const QString kUpdateKey = QStringLiteral("update-key");
const QString kSubmit = QStringLiteral("submit");
const QString kPermalink = QStringLiteral("permalink");
const QString kField = QStringLiteral("field");
const QString kResubmit = QStringLiteral("resubmit");
const QString kHelp = QStringLiteral("help");
const QString kVersion = QStringLiteral("version");

bool isWebAddress(const QString& text)
{
    const QUrl url(text, QUrl::StrictMode);
    return url.isValid() && (url.scheme() == "http" || url.scheme() == "https") && !url.host().isEmpty();
}

void describeOptions(QCommandLineParser& parser)
{
    parser.setApplicationDescription(QStringLiteral(
        "Vorlix Pro submits a blog post to many blog carnivals. LIST.bcl opens that carnival list "
        "at start."));
    parser.addOptions({
        {kDemo, QStringLiteral("Start the local carnival directory and work against it.")},
        {kSite, QStringLiteral("Use the carnival directory at URL (scheme, host and port)."),
         QStringLiteral("URL")},
        {kUpdateUrl, QStringLiteral("Look for updates in the control file at URL."), QStringLiteral("URL")},
        {kUpdateKey, QStringLiteral("Accept only updates signed with this Ed25519 public key."),
         QStringLiteral("BASE64")},
        {kSubmit, QStringLiteral("Submit the post to every carnival of LIST.bcl without a window."),
         QStringLiteral("LIST.bcl")},
        {kPermalink, QStringLiteral("The post's address, for --submit."), QStringLiteral("URL")},
        {kField, QStringLiteral("Fill the form field NAME with VALUE, for --submit (repeatable)."),
         QStringLiteral("NAME=VALUE")},
        {kResubmit, QStringLiteral("With --submit, send again to the carnivals already done.")},
        {{QStringLiteral("h"), kHelp}, QStringLiteral("Show this help and end.")},
        {{QStringLiteral("v"), kVersion}, QStringLiteral("Show the program's version and end.")},
    });
    parser.addPositionalArgument(QStringLiteral("LIST.bcl"), QStringLiteral("The carnival list to open."),
                                 QStringLiteral("[LIST.bcl]"));
}

// The checked value of an option that takes a web address; an error when it is not one.
std::optional<QString> webAddress(const QCommandLineParser& parser, const QString& option, QString* error)
{
    if (!parser.isSet(option))
        return std::nullopt;
    const QString value = parser.value(option);
    if (!isWebAddress(value))
        *error = QStringLiteral("--%1 needs an http:// or https:// address").arg(option);
    return value;
}

QList<CommandLine::Field> parseFields(const QStringList& values, QString* error)
{
    QList<CommandLine::Field> result;
    for (const QString& value : values) {
        const qsizetype equals = value.indexOf(u'=');
        if (equals <= 0) {
            *error = QStringLiteral("--field needs NAME=VALUE, not \"%1\"").arg(value);
            return {};
        }
        result.append({value.left(equals), value.mid(equals + 1)});
    }
    return result;
}

QString firstError(const QStringList& errors)
{
    for (const QString& error : errors)
        if (!error.isEmpty())
            return error;
    return {};
}

// The checks that need more than one option at a time.
QString combinationError(const CommandLine& line)
{
    if (line.submitList && line.listFile)
        return QStringLiteral("--submit names the list; give no other list file");
    if (!line.submitList && (line.permalink || !line.fields.isEmpty() || line.resubmit))
        return QStringLiteral("--permalink, --field and --resubmit go with --submit");
    return {};
}
} // namespace

CommandLine CommandLine::parse(const QStringList& arguments, QString* error)
{
    CommandLine line;
    QCommandLineParser parser;
    describeOptions(parser);
    if (!parser.parse(arguments)) {
        *error = parser.errorText();
        return line;
    }
    line.help = parser.isSet(kHelp);
    line.version = parser.isSet(kVersion);
    line.demo = parser.isSet(kDemo);
    line.resubmit = parser.isSet(kResubmit);
    QString siteError, updateUrlError, updateKeyError, fieldError, listError;
    line.site = webAddress(parser, kSite, &siteError);
    line.updateUrl = webAddress(parser, kUpdateUrl, &updateUrlError);
    if (parser.isSet(kUpdateKey)) {
        line.updateKey = parser.value(kUpdateKey);
        const UpdateSignature::PublicKey key = UpdateSignature::ParsePublicKey(*line.updateKey);
        if (!key.isValid())
            updateKeyError = QStringLiteral("--update-key: ") + key.error;
    }
    if (parser.isSet(kSubmit))
        line.submitList = parser.value(kSubmit);
    // Checked as the Auto Submit button checks it, by the run.
    if (parser.isSet(kPermalink))
        line.permalink = parser.value(kPermalink);
    line.fields = parseFields(parser.values(kField), &fieldError);
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1)
        listError = QStringLiteral("Only one list file can be opened at a time");
    else if (!positional.isEmpty())
        line.listFile = positional.first();
    *error = firstError(
        {siteError, updateUrlError, updateKeyError, fieldError, listError, combinationError(line)});
    return line;
}

bool CommandLine::asksForScriptRun(const QStringList& arguments)
{
    const QString option = QStringLiteral("--") + kSubmit;
    for (const QString& argument : arguments.mid(1)) {
        if (argument == QStringLiteral("--"))
            return false;
        if (argument == option || argument.startsWith(option + u'='))
            return true;
    }
    return false;
}

QString CommandLine::helpText()
{
    QCommandLineParser parser;
    describeOptions(parser);
    return parser.helpText();
}

QString CommandLine::versionLine(const QString& versionText)
{
    return QStringLiteral("Vorlix Pro ") + versionText;
}
