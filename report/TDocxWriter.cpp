#include "report/TDocxWriter.h"

#include <QXmlStreamWriter>
#include <zip.h>

#include <memory>
#include <set>
#include <stdexcept>
#include <vector>

namespace {
const QString W = QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
const QString Rel = QStringLiteral("http://schemas.openxmlformats.org/package/2006/relationships");
const QString OfficeRel = QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");
constexpr int BorderEighths = 4;  // half-point lines

QString lineValue(TLineStyle style)
{
    switch (style) {
    case TLineStyle::Single: return QStringLiteral("single");
    case TLineStyle::Double: return QStringLiteral("double");
    case TLineStyle::None: break;
    }
    return QStringLiteral("nil");
}

// Word keeps colours as red + 256 green + 65536 blue.
QString fillValue(int colour)
{
    return QStringLiteral("%1%2%3")
        .arg(colour & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((colour >> 8) & 0xFF, 2, 16, QLatin1Char('0'))
        .arg((colour >> 16) & 0xFF, 2, 16, QLatin1Char('0'))
        .toUpper();
}

class Xml {
public:
    explicit Xml(QByteArray* out) : w(out)
    {
        w.writeStartDocument(QStringLiteral("1.0"), true);
    }
    void start(const QString& name) { w.writeStartElement(W, name); }
    void end() { w.writeEndElement(); }
    void val(const QString& name, const QString& value)
    {
        start(name);
        w.writeAttribute(W, QStringLiteral("val"), value);
        end();
    }
    void attr(const QString& name, const QString& value) { w.writeAttribute(W, name, value); }
    void border(const QString& side, TLineStyle style)
    {
        start(side);
        attr(QStringLiteral("val"), lineValue(style));
        attr(QStringLiteral("sz"), QString::number(BorderEighths));
        attr(QStringLiteral("space"), QStringLiteral("0"));
        attr(QStringLiteral("color"), QStringLiteral("auto"));
        end();
    }

    QXmlStreamWriter w;
};

void writeRun(Xml& x, const TTextRun& run)
{
    x.start(QStringLiteral("r"));
    x.start(QStringLiteral("rPr"));
    if (run.bold)
        x.start(QStringLiteral("b")), x.end();
    x.val(QStringLiteral("sz"), QString::number(run.sizePt * 2));
    x.val(QStringLiteral("szCs"), QString::number(run.sizePt * 2));
    x.end();
    if (run.pageBreak) {
        x.start(QStringLiteral("br"));
        x.attr(QStringLiteral("type"), QStringLiteral("page"));
        x.end();
    }
    // A tab is an element of its own between pieces of text.
    const QStringList pieces = QString::fromStdString(run.text).split(QLatin1Char('\t'));
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            x.start(QStringLiteral("tab")), x.end();
        if (pieces[i].isEmpty())
            continue;
        x.start(QStringLiteral("t"));
        x.w.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
        x.w.writeCharacters(pieces[i]);
        x.end();
    }
    x.end();
}

void writeParagraph(Xml& x, const TParagraph& p)
{
    x.start(QStringLiteral("p"));
    x.start(QStringLiteral("pPr"));
    x.val(QStringLiteral("jc"), p.align == TAlign::Centre ? QStringLiteral("center") : QStringLiteral("left"));
    x.end();
    for (const TTextRun& run : p.runs)
        writeRun(x, run);
    x.end();
}

// The grid: every distinct cell edge of every row.
std::vector<TTwips> gridEdges(const TTable& table)
{
    std::set<TTwips> edges{0};
    for (const TTable::Row& row : table.rows()) {
        TTwips x = 0;
        for (const TTableCell& cell : row)
            edges.insert(x += cell.width);
    }
    return {edges.begin(), edges.end()};
}

void writeTable(Xml& x, const TTable& table)
{
    const std::vector<TTwips> edges = gridEdges(table);
    x.start(QStringLiteral("tbl"));
    x.start(QStringLiteral("tblPr"));
    x.start(QStringLiteral("tblW"));
    x.attr(QStringLiteral("w"), QStringLiteral("0"));
    x.attr(QStringLiteral("type"), QStringLiteral("auto"));
    x.end();
    x.start(QStringLiteral("tblBorders"));
    for (const char* side : {"top", "left", "bottom", "right"})
        x.border(QLatin1String(side), table.outside);
    x.border(QStringLiteral("insideH"), table.inside);
    x.border(QStringLiteral("insideV"), table.inside);
    x.end();
    x.start(QStringLiteral("tblLayout"));
    x.attr(QStringLiteral("type"), QStringLiteral("fixed"));
    x.end();
    x.end();

    x.start(QStringLiteral("tblGrid"));
    for (size_t i = 1; i < edges.size(); ++i) {
        x.start(QStringLiteral("gridCol"));
        x.attr(QStringLiteral("w"), QString::number(edges[i] - edges[i - 1]));
        x.end();
    }
    x.end();

    for (const TTable::Row& row : table.rows()) {
        x.start(QStringLiteral("tr"));
        TTwips left = 0;
        for (const TTableCell& cell : row) {
            const TTwips right = left + cell.width;
            const auto span = std::upper_bound(edges.begin(), edges.end(), right) - std::upper_bound(edges.begin(), edges.end(), left);
            left = right;
            x.start(QStringLiteral("tc"));
            x.start(QStringLiteral("tcPr"));
            x.start(QStringLiteral("tcW"));
            x.attr(QStringLiteral("w"), QString::number(cell.width));
            x.attr(QStringLiteral("type"), QStringLiteral("dxa"));
            x.end();
            if (span > 1)
                x.val(QStringLiteral("gridSpan"), QString::number(span));
            if (cell.vmerge == TVMerge::Restart)
                x.val(QStringLiteral("vMerge"), QStringLiteral("restart"));
            else if (cell.vmerge == TVMerge::Continue)
                x.start(QStringLiteral("vMerge")), x.end();
            if (cell.bottom != TLineStyle::None) {
                x.start(QStringLiteral("tcBorders"));
                x.border(QStringLiteral("bottom"), cell.bottom);
                x.end();
            }
            if (cell.shading) {
                x.start(QStringLiteral("shd"));
                x.attr(QStringLiteral("val"), QStringLiteral("clear"));
                x.attr(QStringLiteral("color"), QStringLiteral("auto"));
                x.attr(QStringLiteral("fill"), fillValue(*cell.shading));
                x.end();
            }
            x.end();
            for (const TParagraph& p : cell.paragraphs)
                writeParagraph(x, p);
            x.end();
        }
        x.end();
    }
    x.end();
}

void writeSection(Xml& x)
{
    x.start(QStringLiteral("sectPr"));
    x.start(QStringLiteral("pgSz"));
    x.attr(QStringLiteral("w"), QString::number(PageWidth));
    x.attr(QStringLiteral("h"), QString::number(PageHeight));
    x.end();
    x.start(QStringLiteral("pgMar"));
    const std::pair<const char*, TTwips> margins[] = {{"top", MarginTop}, {"right", MarginRight}, {"bottom", MarginBottom},
                                                      {"left", MarginLeft}, {"header", 709}, {"footer", 709}, {"gutter", 0}};
    for (const auto& [side, value] : margins)
        x.attr(QLatin1String(side), QString::number(value));
    x.end();
    x.end();
}

QByteArray stylesXml()
{
    QByteArray out;
    Xml x(&out);
    x.w.writeNamespace(W, QStringLiteral("w"));
    x.start(QStringLiteral("styles"));
    x.start(QStringLiteral("docDefaults"));
    x.start(QStringLiteral("rPrDefault"));
    x.start(QStringLiteral("rPr"));
    x.start(QStringLiteral("rFonts"));
    for (const char* kind : {"ascii", "hAnsi", "cs", "eastAsia"})
        x.attr(QLatin1String(kind), QStringLiteral("Times New Roman"));
    x.end();
    x.val(QStringLiteral("sz"), QStringLiteral("20"));
    x.start(QStringLiteral("lang"));
    x.attr(QStringLiteral("val"), QStringLiteral("ru-RU"));
    x.end();
    x.end();
    x.end();
    x.start(QStringLiteral("pPrDefault"));
    x.start(QStringLiteral("pPr"));
    x.start(QStringLiteral("spacing"));
    x.attr(QStringLiteral("after"), QStringLiteral("0"));
    x.attr(QStringLiteral("line"), QStringLiteral("240"));
    x.attr(QStringLiteral("lineRule"), QStringLiteral("auto"));
    x.end();
    x.end();
    x.end();
    x.end();
    x.start(QStringLiteral("style"));
    x.attr(QStringLiteral("type"), QStringLiteral("paragraph"));
    x.attr(QStringLiteral("default"), QStringLiteral("1"));
    x.attr(QStringLiteral("styleId"), QStringLiteral("Normal"));
    x.val(QStringLiteral("name"), QStringLiteral("Normal"));
    x.end();
    x.end();
    x.w.writeEndDocument();
    return out;
}

QByteArray relationships(const QString& type, const QString& target)
{
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeStartDocument(QStringLiteral("1.0"), true);
    w.writeDefaultNamespace(Rel);
    w.writeStartElement(Rel, QStringLiteral("Relationships"));
    w.writeStartElement(Rel, QStringLiteral("Relationship"));
    w.writeAttribute(QStringLiteral("Id"), QStringLiteral("rId1"));
    w.writeAttribute(QStringLiteral("Type"), OfficeRel + QLatin1Char('/') + type);
    w.writeAttribute(QStringLiteral("Target"), target);
    w.writeEndElement();
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

QByteArray contentTypes()
{
    const QString ns = QStringLiteral("http://schemas.openxmlformats.org/package/2006/content-types");
    const QString wml = QStringLiteral("application/vnd.openxmlformats-officedocument.wordprocessingml.");
    QByteArray out;
    QXmlStreamWriter w(&out);
    w.writeStartDocument(QStringLiteral("1.0"), true);
    w.writeDefaultNamespace(ns);
    w.writeStartElement(ns, QStringLiteral("Types"));
    const std::pair<const char*, QString> defaults[] = {
        {"rels", QStringLiteral("application/vnd.openxmlformats-package.relationships+xml")},
        {"xml", QStringLiteral("application/xml")}};
    for (const auto& [extension, type] : defaults) {
        w.writeStartElement(ns, QStringLiteral("Default"));
        w.writeAttribute(QStringLiteral("Extension"), QLatin1String(extension));
        w.writeAttribute(QStringLiteral("ContentType"), type);
        w.writeEndElement();
    }
    const std::pair<const char*, QString> parts[] = {{"/word/document.xml", wml + QStringLiteral("document.main+xml")},
                                                     {"/word/styles.xml", wml + QStringLiteral("styles+xml")}};
    for (const auto& [part, type] : parts) {
        w.writeStartElement(ns, QStringLiteral("Override"));
        w.writeAttribute(QStringLiteral("PartName"), QLatin1String(part));
        w.writeAttribute(QStringLiteral("ContentType"), type);
        w.writeEndElement();
    }
    w.writeEndElement();
    w.writeEndDocument();
    return out;
}

struct ZipCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
} // namespace

QByteArray TDocxWriter::documentXml(const TDocument& doc)
{
    QByteArray out;
    Xml x(&out);
    x.w.writeNamespace(W, QStringLiteral("w"));
    x.start(QStringLiteral("document"));
    x.start(QStringLiteral("body"));
    for (const TDocument::Block& block : doc.body()) {
        if (const auto* p = std::get_if<TParagraph>(&block))
            writeParagraph(x, *p);
        else
            writeTable(x, std::get<TTable>(block));
    }
    // The body must not end with a table.
    if (std::holds_alternative<TTable>(doc.body().back()))
        writeParagraph(x, TParagraph{});
    writeSection(x);
    x.end();
    x.end();
    x.w.writeEndDocument();
    return out;
}

void TDocxWriter::save(const TDocument& doc, const QString& path)
{
    const std::pair<const char*, QByteArray> parts[] = {
        {"[Content_Types].xml", contentTypes()},
        {"_rels/.rels", relationships(QStringLiteral("officeDocument"), QStringLiteral("word/document.xml"))},
        {"word/_rels/document.xml.rels", relationships(QStringLiteral("styles"), QStringLiteral("styles.xml"))},
        {"word/document.xml", documentXml(doc)},
        {"word/styles.xml", stylesXml()},
    };
    int error = 0;
    std::unique_ptr<zip_t, ZipCloser> archive(zip_open(path.toLocal8Bit().constData(), ZIP_CREATE | ZIP_TRUNCATE, &error));
    if (!archive) {
        zip_error_t ze;
        zip_error_init_with_code(&ze, error);
        const std::string message = zip_error_strerror(&ze);
        zip_error_fini(&ze);
        throw std::runtime_error("cannot create " + path.toStdString() + ": " + message);
    }
    for (const auto& [name, data] : parts) {
        zip_source_t* source = zip_source_buffer(archive.get(), data.constData(), static_cast<zip_uint64_t>(data.size()), 0);
        if (!source || zip_file_add(archive.get(), name, source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) < 0) {
            if (source)
                zip_source_free(source);
            throw std::runtime_error(std::string("cannot add ") + name + ": " + zip_strerror(archive.get()));
        }
    }
    if (zip_close(archive.get()) < 0)
        throw std::runtime_error("cannot write " + path.toStdString() + ": " + zip_strerror(archive.get()));
    archive.release();
}
