#include "app/TCommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

namespace {
// A usage error: the exit status scripts can tell from a failure of the run.
constexpr int UsageError = 2;

struct TParser {
    QCommandLineParser parser;
    QCommandLineOption help;
    QCommandLineOption version;

    TParser() : help(parser.addHelpOption()), version(parser.addVersionOption())
    {
        // "-bogus" is one unknown option, not five unknown letters.
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.setApplicationDescription(
            QStringLiteral("Настройка контроллера KT7-CU системы речевого оповещения Zarna KT7."));
        parser.addPositionalArgument(QStringLiteral("проект.usr"), QStringLiteral("Проект, открываемый при запуске."),
                                     QStringLiteral("[проект.usr]"));
    }
};

// The toolkit's own options, which it takes from the command line itself
// (with one dash or two), and whether a value follows them.
struct TToolkitOption {
    const char* name;
    bool value;
};
constexpr TToolkitOption ToolkitOptions[] = {
    {"platform", true},
    {"platformpluginpath", true},
    {"platformtheme", true},
    {"plugin", true},
    {"qwindowgeometry", true},
    {"qwindowicon", true},
    {"qwindowtitle", true},
    {"session", true},
    {"display", true},
    {"geometry", true},
    {"title", true},
    {"icon", true},
    {"name", true},
    {"visual", true},
    {"style", true},
    {"stylesheet", true},
    {"reverse", false},
    {"widgetcount", false},
    {"nograb", false},
    {"dograb", false},
    {"sync", false},
    {"qmljsdebugger", false},
};

// The toolkit option an argument names, if any: "-style", "--style" and
// "-style=fusion" alike. inlineValue tells whether the value came with it.
const TToolkitOption* toolkitOption(const QString& argument, bool& inlineValue)
{
    if (!argument.startsWith('-') || argument == QLatin1String("-") || argument == QLatin1String("--"))
        return nullptr;
    QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
    const qsizetype equals = name.indexOf('=');
    inlineValue = equals >= 0;
    if (inlineValue)
        name.truncate(equals);
    for (const TToolkitOption& option : ToolkitOptions)
        if (name == QLatin1String(option.name))
            return &option;
    return nullptr;
}

// The arguments without the toolkit's options and their values.
QStringList ownArguments(const QStringList& arguments)
{
    QStringList own;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        bool inlineValue = false;
        if (i == 0) {
            own << arguments[i];
        } else if (arguments[i] == QLatin1String("--")) {
            own << arguments.mid(i); // only file names follow
            break;
        } else if (const TToolkitOption* option = toolkitOption(arguments[i], inlineValue)) {
            if (option->value && !inlineValue)
                ++i;
        } else {
            own << arguments[i];
        }
    }
    return own;
}
} // namespace

bool TCommandLine::asksForText(const QStringList& arguments)
{
    TParser p;
    if (!p.parser.parse(ownArguments(arguments)))
        return true;
    return p.parser.isSet(p.help) || p.parser.isSet(QStringLiteral("help-all")) || p.parser.isSet(p.version)
        || p.parser.positionalArguments().size() > 1;
}

QString TCommandLine::projectFile(const QStringList& arguments)
{
    TParser p;
    const QString program = QCoreApplication::applicationName();
    if (!p.parser.parse(ownArguments(arguments))) {
        std::fprintf(stderr, "%s: %s %s\n", qPrintable(program), qPrintable(p.parser.errorText()),
                     qPrintable(QStringLiteral("Допустимо: %1 [--help] [--version] [проект.usr]").arg(program)));
        std::exit(UsageError);
    }
    // Prints help or the version and ends the run.
    p.parser.process(ownArguments(arguments));
    const QStringList files = p.parser.positionalArguments();
    if (files.size() > 1) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(program),
                     qPrintable(QStringLiteral("можно открыть только один проект")));
        std::exit(UsageError);
    }
    return files.isEmpty() ? QString() : files.constFirst();
}
