#include "app/TCommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>

#include <cstdio>
#include <cstdlib>

namespace {
struct TParser {
    QCommandLineParser parser;
    QCommandLineOption help;
    QCommandLineOption version;

    TParser() : help(parser.addHelpOption()), version(parser.addVersionOption())
    {
        parser.setApplicationDescription(
            QStringLiteral("Настройка контроллера KT7-CU системы речевого оповещения Zarna KT7."));
        parser.addPositionalArgument(QStringLiteral("проект.usr"), QStringLiteral("Проект, открываемый при запуске."),
                                     QStringLiteral("[проект.usr]"));
    }
};
} // namespace

bool TCommandLine::asksForText(const QStringList& arguments)
{
    TParser p;
    // Options the toolkit takes for itself (-platform and the like) are not
    // known here; they do not hide a request for help or the version.
    p.parser.parse(arguments);
    return p.parser.isSet(p.help) || p.parser.isSet(QStringLiteral("help-all")) || p.parser.isSet(p.version)
        || p.parser.positionalArguments().size() > 1;
}

QString TCommandLine::projectFile(const QStringList& arguments)
{
    TParser p;
    p.parser.process(arguments);
    const QStringList files = p.parser.positionalArguments();
    if (files.size() > 1) {
        std::fprintf(stderr, "%s: %s\n", qPrintable(QCoreApplication::applicationName()),
                     qPrintable(QStringLiteral("можно открыть только один проект")));
        std::exit(EXIT_FAILURE);
    }
    return files.isEmpty() ? QString() : files.constFirst();
}
