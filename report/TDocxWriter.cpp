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
constexpr zip_uint32_t FastestDeflate = 1;

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

// Collects the text in a string, which is much faster than writing small
// pieces through a device, and gives it out as UTF-8 at the end.
class Xml {
public:
    Xml() : w(&text)
    {
        text.reserve(1 << 22);
        w.writeStartDocument(QStringLiteral("1.0"), true);
    }
    QByteArray finish()
    {
        w.writeEndDocument();
        // A string writer declares no encoding; the part is UTF-8.
        text.replace(0, text.indexOf(QLatin1String("?>")), QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\""));
        return text.toUtf8();
    }
    // Names come with their "w:" prefix, declared once on the root element, which
    // spares the writer a namespace look-up for every element.
    void root(const QString& name)
    {
        w.writeStartElement(name);
        w.writeAttribute(QStringLiteral("xmlns:w"), W);
    }
    void start(const QString& name) { w.writeStartElement(name); }
    void end() { w.writeEndElement(); }
    void val(const QString& name, const QString& value)
    {
        start(name);
        w.writeAttribute(QStringLiteral("w:val"), value);
        end();
    }
    void attr(const QString& name, const QString& value) { w.writeAttribute(name, value); }
    void border(const QString& side, TLineStyle style)
    {
        start(side);
        attr(QStringLiteral("w:val"), lineValue(style));
        attr(QStringLiteral("w:sz"), QString::number(BorderEighths));
        attr(QStringLiteral("w:space"), QStringLiteral("0"));
        attr(QStringLiteral("w:color"), QStringLiteral("auto"));
        end();
    }

    QString text;
    QXmlStreamWriter w;
};

void writeRun(Xml& x, const TTextRun& run)
{
    x.start(QStringLiteral("w:r"));
    x.start(QStringLiteral("w:rPr"));
    if (run.bold)
        x.start(QStringLiteral("w:b")), x.end();
    x.val(QStringLiteral("w:sz"), QString::number(run.sizePt * 2));
    x.end();
    if (run.pageBreak) {
        x.start(QStringLiteral("w:br"));
        x.attr(QStringLiteral("w:type"), QStringLiteral("page"));
        x.end();
    }
    // A tab is an element of its own between pieces of text.
    const QStringList pieces = QString::fromStdString(run.text).split(QLatin1Char('\t'));
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i > 0)
            x.start(QStringLiteral("w:tab")), x.end();
        if (pieces[i].isEmpty())
            continue;
        x.start(QStringLiteral("w:t"));
        x.w.writeAttribute(QStringLiteral("xml:space"), QStringLiteral("preserve"));
        x.w.writeCharacters(pieces[i]);
        x.end();
    }
    x.end();
}

void writeParagraph(Xml& x, const TParagraph& p)
{
    x.start(QStringLiteral("w:p"));
    // Left is the default alignment and needs no mark.
    if (p.align == TAlign::Centre) {
        x.start(QStringLiteral("w:pPr"));
        x.val(QStringLiteral("w:jc"), QStringLiteral("center"));
        x.end();
    }
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
    x.start(QStringLiteral("w:tbl"));
    x.start(QStringLiteral("w:tblPr"));
    x.start(QStringLiteral("w:tblW"));
    x.attr(QStringLiteral("w:w"), QStringLiteral("0"));
    x.attr(QStringLiteral("w:type"), QStringLiteral("auto"));
    x.end();
    x.start(QStringLiteral("w:tblBorders"));
    for (const char* side : {"w:top", "w:left", "w:bottom", "w:right"})
        x.border(QLatin1String(side), table.outside);
    x.border(QStringLiteral("w:insideH"), table.inside);
    x.border(QStringLiteral("w:insideV"), table.inside);
    x.end();
    x.start(QStringLiteral("w:tblLayout"));
    x.attr(QStringLiteral("w:type"), QStringLiteral("fixed"));
    x.end();
    x.end();

    x.start(QStringLiteral("w:tblGrid"));
    for (size_t i = 1; i < edges.size(); ++i) {
        x.start(QStringLiteral("w:gridCol"));
        x.attr(QStringLiteral("w:w"), QString::number(edges[i] - edges[i - 1]));
        x.end();
    }
    x.end();

    for (const TTable::Row& row : table.rows()) {
        x.start(QStringLiteral("w:tr"));
        TTwips left = 0;
        for (const TTableCell& cell : row) {
            const TTwips right = left + cell.width;
            const auto span = std::upper_bound(edges.begin(), edges.end(), right) - std::upper_bound(edges.begin(), edges.end(), left);
            left = right;
            x.start(QStringLiteral("w:tc"));
            x.start(QStringLiteral("w:tcPr"));
            x.start(QStringLiteral("w:tcW"));
            x.attr(QStringLiteral("w:w"), QString::number(cell.width));
            x.attr(QStringLiteral("w:type"), QStringLiteral("dxa"));
            x.end();
            if (span > 1)
                x.val(QStringLiteral("w:gridSpan"), QString::number(span));
            if (cell.vmerge == TVMerge::Restart)
                x.val(QStringLiteral("w:vMerge"), QStringLiteral("restart"));
            else if (cell.vmerge == TVMerge::Continue)
                x.start(QStringLiteral("w:vMerge")), x.end();
            if (cell.bottom != TLineStyle::None) {
                x.start(QStringLiteral("w:tcBorders"));
                x.border(QStringLiteral("w:bottom"), cell.bottom);
                x.end();
            }
            if (cell.shading) {
                x.start(QStringLiteral("w:shd"));
                x.attr(QStringLiteral("w:val"), QStringLiteral("clear"));
                x.attr(QStringLiteral("w:color"), QStringLiteral("auto"));
                x.attr(QStringLiteral("w:fill"), fillValue(*cell.shading));
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
    x.start(QStringLiteral("w:sectPr"));
    x.start(QStringLiteral("w:pgSz"));
    x.attr(QStringLiteral("w:w"), QString::number(PageWidth));
    x.attr(QStringLiteral("w:h"), QString::number(PageHeight));
    x.end();
    x.start(QStringLiteral("w:pgMar"));
    const std::pair<const char*, TTwips> margins[] = {{"w:top", MarginTop}, {"w:right", MarginRight}, {"w:bottom", MarginBottom},
                                                      {"w:left", MarginLeft}, {"w:header", 709}, {"w:footer", 709}, {"w:gutter", 0}};
    for (const auto& [side, value] : margins)
        x.attr(QLatin1String(side), QString::number(value));
    x.end();
    x.end();
}

QByteArray stylesXml()
{
    Xml x;
    x.root(QStringLiteral("w:styles"));
    x.start(QStringLiteral("w:docDefaults"));
    x.start(QStringLiteral("w:rPrDefault"));
    x.start(QStringLiteral("w:rPr"));
    x.start(QStringLiteral("w:rFonts"));
    for (const char* kind : {"w:ascii", "w:hAnsi", "w:cs", "w:eastAsia"})
        x.attr(QLatin1String(kind), QStringLiteral("Times New Roman"));
    x.end();
    x.val(QStringLiteral("w:sz"), QStringLiteral("20"));
    x.start(QStringLiteral("w:lang"));
    x.attr(QStringLiteral("w:val"), QStringLiteral("ru-RU"));
    x.end();
    x.end();
    x.end();
    x.start(QStringLiteral("w:pPrDefault"));
    x.start(QStringLiteral("w:pPr"));
    x.start(QStringLiteral("w:spacing"));
    x.attr(QStringLiteral("w:after"), QStringLiteral("0"));
    x.attr(QStringLiteral("w:line"), QStringLiteral("240"));
    x.attr(QStringLiteral("w:lineRule"), QStringLiteral("auto"));
    x.end();
    x.end();
    x.end();
    x.end();
    x.start(QStringLiteral("w:style"));
    x.attr(QStringLiteral("w:type"), QStringLiteral("paragraph"));
    x.attr(QStringLiteral("w:default"), QStringLiteral("1"));
    x.attr(QStringLiteral("w:styleId"), QStringLiteral("Normal"));
    x.val(QStringLiteral("w:name"), QStringLiteral("Normal"));
    x.end();
    x.end();
    return x.finish();
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
    Xml x;
    x.root(QStringLiteral("w:document"));
    x.start(QStringLiteral("w:body"));
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
    return x.finish();
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
        const zip_int64_t index = source ? zip_file_add(archive.get(), name, source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) : -1;
        if (index < 0) {
            if (source)
                zip_source_free(source);
            throw std::runtime_error(std::string("cannot add ") + name + ": " + zip_strerror(archive.get()));
        }
        // The markup is highly repetitive: the fastest level packs it nearly as well.
        zip_set_file_compression(archive.get(), static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, FastestDeflate);
    }
    if (zip_close(archive.get()) < 0)
        throw std::runtime_error("cannot write " + path.toStdString() + ": " + zip_strerror(archive.get()));
    archive.release();
}
