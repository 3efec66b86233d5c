#include "BatchOptions.h"

#include "FormatCodes.h"

#include <QFile>
#include <QRegularExpression>

#include <getopt.h>
#include <vector>

namespace {

enum LongOnly { Overwrite = 1000, SkipExisting, Shard, Version, Follow, Report };

const option kOptions[] = {
    {"model", required_argument, nullptr, 'm'},
    {"out", required_argument, nullptr, 'o'},
    {"overwrite", no_argument, nullptr, Overwrite},
    {"skip-existing", no_argument, nullptr, SkipExisting},
    {"format", required_argument, nullptr, 'f'},
    {"files-from", required_argument, nullptr, 'l'},
    {"jobs", required_argument, nullptr, 'j'},
    {"shard", required_argument, nullptr, Shard},
    {"quiet", no_argument, nullptr, 'q'},
    {"follow", no_argument, nullptr, Follow},
    {"report", required_argument, nullptr, Report},
    {"help", no_argument, nullptr, 'h'},
    {"version", no_argument, nullptr, Version},
    {nullptr, 0, nullptr, 0},
};
const char kShortOptions[] = ":m:o:f:l:j:qh";

const option *optionOf(int value)
{
    for (const option *o = kOptions; o->name; ++o)
        if (o->val == value)
            return o;
    return nullptr;
}

// Why getopt refused an option (it returned `result`, ':' or '?'), from optopt
// and `last`, the word it read last. A missing value can only be at the end, so
// `last` holds that option. An unknown short option may sit inside a cluster,
// where `last` is an earlier word; optopt names it. A long option that was
// given a value it does not take sets optopt to its own value; an unknown or
// ambiguous long one sets it to 0, and `last` is that option.
QString refused(int result, const char *last)
{
    const QString word = QFile::decodeName(last);
    const bool isLong = word.startsWith(QLatin1String("--"));
    const QString name = isLong ? word.section(QLatin1Char('='), 0, 0) : QStringLiteral("-") + QChar(optopt);
    if (result == ':')
        return QStringLiteral("die Option %1 braucht einen Wert").arg(quoted(name));
    if (const option *known = optopt ? optionOf(optopt) : nullptr)
        return QStringLiteral("die Option %1 nimmt keinen Wert").arg(quoted(QStringLiteral("--") + QLatin1String(known->name)));
    if (optopt || !isLong)
        return QStringLiteral("unbekannte Option %1").arg(quoted(QStringLiteral("-") + QChar(optopt)));
    QStringList matches;
    for (const option *o = kOptions; o->name; ++o)
        if (QLatin1String(o->name).startsWith(name.mid(2)))
            matches << QStringLiteral("--") + QLatin1String(o->name);
    if (matches.size() > 1)
        return QStringLiteral("die Option %1 ist mehrdeutig (%2)").arg(quoted(name), matches.join(QStringLiteral(", ")));
    return QStringLiteral("unbekannte Option %1").arg(quoted(name));
}

bool readCount(const QString &text, int max, int &count)
{
    bool ok = false;
    count = text.toInt(&ok);
    return ok && !text.startsWith(QLatin1Char('+')) && count >= 1 && count <= max;
}

QString checkValue(int opt, const QString &value, BatchOptions &o)
{
    switch (opt) {
    case 'j':
        if (!readCount(value, 1024, o.jobs))
            return QStringLiteral("--jobs braucht eine Zahl von 1 bis 1024, nicht %1").arg(quoted(value));
        return {};
    case Shard: {
        static const QRegularExpression form(QStringLiteral("^([0-9]+)/([0-9]+)$"));
        const QRegularExpressionMatch m = form.match(value);
        if (!m.hasMatch() || !readCount(m.captured(2), 1000000, o.shards)
            || !readCount(m.captured(1), o.shards, o.shard))
            return QStringLiteral("--shard braucht K/N mit 1 ≤ K ≤ N, nicht %1").arg(quoted(value));
        return {};
    }
    case 'f':
        o.format = value.startsWith(QLatin1Char('.')) ? value.mid(1) : value;
        if (o.format.contains(QLatin1Char('/')) || formatCodeForFile(QStringLiteral("x.") + o.format) == 0)
            return QStringLiteral("kein Bildformat für %1; bekannt sind %2")
                .arg(quoted(value), formatExtensions().join(QStringLiteral(", ")));
        return {};
    }
    return {};
}

// `items` separated by commas, in lines under the option texts of the help.
QString indentedList(const QStringList &items)
{
    const QString indent(27, QLatin1Char(' '));
    QStringList lines{indent};
    for (int i = 0; i < items.size(); ++i) {
        const QString item = items[i] + (i + 1 < items.size() ? QStringLiteral(",") : QString());
        if (lines.back().size() + 1 + item.size() > 79)
            lines << indent;
        lines.back() += (lines.back() == indent ? QString() : QStringLiteral(" ")) + item;
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace

ParsedCommandLine parseCommandLine(const QStringList &arguments)
{
    std::vector<QByteArray> bytes;
    for (const QString &argument : arguments)
        bytes.push_back(QFile::encodeName(argument));
    std::vector<char *> argv;
    for (QByteArray &b : bytes)
        argv.push_back(b.data());
    argv.push_back(nullptr);
    const int argc = int(bytes.size());

    ParsedCommandLine parsed;
    BatchOptions &o = parsed.options;
    const auto usage = [&parsed](const QString &error) {
        parsed.action = ParsedCommandLine::Usage;
        parsed.error = error;
        return parsed;
    };
    optind = 0; // a fresh scan on every call
    opterr = 0; // the messages are ours, in German
    int opt;
    while ((opt = getopt_long(argc, argv.data(), kShortOptions, kOptions, nullptr)) != -1) {
        const QString value = optarg ? QFile::decodeName(optarg) : QString();

        switch (opt) {
        case 'm': o.model = value; break;
        case 'o': o.outDir = value; break;
        case Overwrite: o.overwrite = true; break;
        case SkipExisting: o.skipExisting = true; break;
        case 'l': o.filesFrom = value; break;
        case 'q': o.quiet = true; break;
        case Follow: o.follow = true; break;
        case Report: o.reportDir = value; break;
        case 'h': parsed.action = ParsedCommandLine::Help; return parsed;
        case Version: parsed.action = ParsedCommandLine::Version; return parsed;
        case ':':
        case '?':
            return usage(refused(opt, argv[size_t(optind - 1)]));
        default:
            if (const QString error = checkValue(opt, value, o); !error.isEmpty())
                return usage(error);
        }
    }
    for (int i = optind; i < argc; ++i)
        o.frames << QFile::decodeName(argv[size_t(i)]);

    if (o.model.isEmpty())
        return usage(QStringLiteral("kein Modell angegeben (--model DATEI)"));
    if (o.frames.isEmpty() && o.filesFrom.isEmpty())
        return usage(QStringLiteral("keine Bilder angegeben"));
    if (o.overwrite && o.skipExisting)
        return usage(QStringLiteral("--overwrite und --skip-existing schließen einander aus"));
    if ((o.overwrite || o.skipExisting) && o.outDir.isEmpty() && o.format.isEmpty())
        return usage(QStringLiteral("%1 gilt nur mit --out oder --format")
                         .arg(o.overwrite ? QStringLiteral("--overwrite") : QStringLiteral("--skip-existing")));
    if (o.follow && o.shards > 1)
        return usage(QStringLiteral("--follow coloriert jedes Bild nach dem vorigen und lässt sich nicht mit --shard teilen"));
    if (!o.reportDir.isEmpty() && !o.follow)
        return usage(QStringLiteral("--report gilt nur mit --follow"));
    return parsed;
}

QString helpText()
{
    return QStringLiteral(
               "Aufruf: nuanza-batch --model MODELL [OPTION]... BILD...\n"
               "  oder: nuanza-batch --model MODELL [OPTION]... --files-from LISTE\n"
               "  oder: nuanza-batch --follow --model MODELL [OPTION]... BILD...\n"
               "Gibt jedem BILD Farbton und Sättigung des colorierten Bildes MODELL; jedes Bild\n"
               "behält seine eigene Helligkeit. Ohne --out und --format wird jedes Bild in\n"
               "seinem Format über sich selbst geschrieben.\n"
               "\n"
               "  -m, --model=MODELL       das colorierte Vorbild (verlangt)\n"
               "  -o, --out=ORDNER         in ORDNER unter denselben Namen schreiben; die Bilder\n"
               "                           bleiben unverändert, ORDNER wird angelegt\n"
               "      --overwrite          vorhandene Dateien am Ziel ersetzen\n"
               "      --skip-existing      Bilder überspringen, die es am Ziel schon gibt\n"
               "  -f, --format=ENDUNG      in diesem Format schreiben; ENDUNG ist eine von\n"
               "%1\n"
               "  -l, --files-from=LISTE   Bilder aus LISTE, eines je Zeile; - liest die\n"
               "                           Standardeingabe\n"
               "  -j, --jobs=N             N Bilder zugleich (Voreinstellung: Zahl der Kerne)\n"
               "      --shard=K/N          nur die Bilder an den Stellen K, K+N, K+2N, ... der\n"
               "                           Liste, für N Läufe auf N Rechnern\n"
               "      --follow             die Bilder als Szene der Reihe nach colorieren: jedes\n"
               "                           übernimmt die Farben des vorigen, der Bewegung\n"
               "                           folgend, das erste die des MODELLs; nacheinander,\n"
               "                           jedes Bild auf allen Kernen (ohne --jobs, --shard)\n"
               "      --report=ORDNER      mit --follow: je Bild eine Maske der Stellen, an denen\n"
               "                           der Bewegung nicht zu trauen war, als PNG in ORDNER\n"
               "  -q, --quiet              keine Fortschrittsanzeige und keine Zusammenfassung\n"
               "  -h, --help               diese Hilfe anzeigen und beenden\n"
               "      --version            die Versionsnummer anzeigen und beenden\n"
               "\n"
               "Ohne --overwrite wird eine schon vorhandene Datei am Ziel gemeldet und nicht\n"
               "ersetzt. Ein Bild, das nicht gelesen oder geschrieben werden kann, wird\n"
               "gemeldet; die übrigen werden trotzdem bearbeitet.\n"
               "\n"
               "Rückgabewert: 0, wenn alle Bilder geschrieben wurden; 1, wenn einige nicht\n"
               "geschrieben wurden; 2 bei einem Fehler im Aufruf oder einem unlesbaren Modell.\n")
        .arg(indentedList(formatExtensions()));
}
