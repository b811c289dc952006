#include "report/TDocxWriter.h"

#include <zip.h>

#include <algorithm>
#include <memory>
#include <set>
#include <stdexcept>
#include <vector>

namespace {
const char* const W = "http://schemas.openxmlformats.org/wordprocessingml/2006/main";
const char* const Rel = "http://schemas.openxmlformats.org/package/2006/relationships";
const char* const OfficeRel = "http://schemas.openxmlformats.org/officeDocument/2006/relationships";
const char* const FooterId = "rId2";
constexpr int BorderEighths = 4; // half-point lines
constexpr zip_uint32_t FastestDeflate = 1;

std::string lineValue(TLineStyle style)
{
    switch (style) {
    case TLineStyle::Single: return "single";
    case TLineStyle::Double: return "double";
    case TLineStyle::None: break;
    }
    return "nil";
}

// Word keeps colours as red + 256 green + 65536 blue.
std::string fillValue(int colour)
{
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
    return text;
}

std::string number(long value)
{
    return std::to_string(value);
}

// Markup written straight into one string. A start tag stays open until
// something goes inside it, so that an element without content closes as <name/>.
class Xml {
public:
    Xml()
    {
        text.reserve(1 << 22);
        text += "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>";
    }
    std::string finish() { return std::move(text); }
    // Names come with their "w:" prefix, declared once on the root element.
    void root(const char* name)
    {
        start(name);
        attr("xmlns:w", W);
    }
    void start(const std::string& name)
    {
        closeTag();
        text += '<';
        text += name;
        names.push_back(name);
        open = true;
    }
    void end()
    {
        if (open)
            text += "/>";
        else
            text += "</" + names.back() + '>';
        open = false;
        names.pop_back();
    }
    void val(const std::string& name, const std::string& value)
    {
        start(name);
        attr("w:val", value);
        end();
    }
    void attr(const std::string& name, const std::string& value)
    {
        text += ' ';
        text += name;
        text += "=\"";
        escape(value, true);
        text += '"';
    }
    void characters(const std::string& value)
    {
        closeTag();
        escape(value, false);
    }
    void border(const char* side, TLineStyle style)
    {
        start(side);
        attr("w:val", lineValue(style));
        attr("w:sz", number(BorderEighths));
        attr("w:space", "0");
        attr("w:color", "auto");
        end();
    }

private:
    void closeTag()
    {
        if (open)
            text += '>';
        open = false;
    }
    // Control characters other than tab and line ends cannot stand in XML 1.0.
    void escape(const std::string& value, bool attribute)
    {
        for (const char c : value) {
            switch (c) {
            case '&': text += "&amp;"; break;
            case '<': text += "&lt;"; break;
            case '>': text += "&gt;"; break;
            case '"': text += attribute ? "&quot;" : "\""; break;
            case '\t': text += attribute ? "&#9;" : "\t"; break;
            case '\n': text += attribute ? "&#10;" : "\n"; break;
            case '\r': text += "&#13;"; break;
            default:
                if (static_cast<unsigned char>(c) >= 0x20)
                    text += c;
            }
        }
    }

    std::string text;
    std::vector<std::string> names;
    bool open = false;
};

void runProperties(Xml& x, const TTextRun& run)
{
    x.start("w:rPr");
    if (run.bold)
        x.start("w:b"), x.end();
    x.val("w:sz", number(run.sizePt * 2));
    x.end();
}

// A field as the word processor keeps one it computes: its instruction
// between a begin and a separate mark, then its last result up to the end mark.
void writeField(Xml& x, const TTextRun& run)
{
    const auto mark = [&](const char* type) {
        x.start("w:r");
        runProperties(x, run);
        x.start("w:fldChar");
        x.attr("w:fldCharType", type);
        x.end();
        x.end();
    };
    mark("begin");
    x.start("w:r");
    runProperties(x, run);
    x.start("w:instrText");
    x.attr("xml:space", "preserve");
    x.characters(" " + run.field + " ");
    x.end();
    x.end();
    mark("separate");
    x.start("w:r");
    runProperties(x, run);
    x.start("w:t");
    x.characters(run.text);
    x.end();
    x.end();
    mark("end");
}

void writeRun(Xml& x, const TTextRun& run)
{
    if (!run.field.empty()) {
        writeField(x, run);
        return;
    }
    x.start("w:r");
    runProperties(x, run);
    if (run.pageBreak) {
        x.start("w:br");
        x.attr("w:type", "page");
        x.end();
    }
    // A tab is an element of its own between pieces of text.
    size_t from = 0;
    for (;;) {
        const size_t tab = run.text.find('\t', from);
        const std::string piece = run.text.substr(from, tab == std::string::npos ? std::string::npos : tab - from);
        if (!piece.empty()) {
            x.start("w:t");
            x.attr("xml:space", "preserve");
            x.characters(piece);
            x.end();
        }
        if (tab == std::string::npos)
            break;
        x.start("w:tab"), x.end();
        from = tab + 1;
    }
    x.end();
}

void writeSection(Xml& x, const TPageSetup& page, bool footer)
{
    x.start("w:sectPr");
    if (footer) {
        x.start("w:footerReference");
        x.attr("w:type", "default");
        x.attr("r:id", FooterId);
        x.end();
    }
    x.start("w:pgSz");
    x.attr("w:w", number(page.width()));
    x.attr("w:h", number(page.height()));
    if (page.landscape)
        x.attr("w:orient", "landscape");
    x.end();
    x.start("w:pgMar");
    const std::pair<const char*, TTwips> margins[]
        = {{"w:top", page.top},   {"w:right", page.right}, {"w:bottom", page.bottom},
           {"w:left", page.left}, {"w:header", 709},       {"w:footer", 709},
           {"w:gutter", 0}};
    for (const auto& [side, value] : margins)
        x.attr(side, number(value));
    x.end();
    x.end();
}

void writeParagraph(Xml& x, const TParagraph& p, bool footer = false)
{
    x.start("w:p");
    // Left is the default alignment and needs no mark.
    if (p.align == TAlign::Centre || p.keepWithNext || p.sectionEnd) {
        x.start("w:pPr");
        if (p.keepWithNext)
            x.start("w:keepNext"), x.end();
        if (p.align == TAlign::Centre)
            x.val("w:jc", "center");
        if (p.sectionEnd)
            writeSection(x, *p.sectionEnd, footer);
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
    x.start("w:tbl");
    x.start("w:tblPr");
    x.start("w:tblW");
    x.attr("w:w", "0");
    x.attr("w:type", "auto");
    x.end();
    x.start("w:tblBorders");
    for (const char* side : {"w:top", "w:left", "w:bottom", "w:right"})
        x.border(side, table.outside);
    x.border("w:insideH", table.inside);
    x.border("w:insideV", table.inside);
    x.end();
    x.start("w:tblLayout");
    x.attr("w:type", "fixed");
    x.end();
    if (table.leftPadding || table.rightPadding) {
        x.start("w:tblCellMar");
        for (const auto& [side, padding] : {std::pair{"w:left", table.leftPadding}, {"w:right", table.rightPadding}})
            if (padding) {
                x.start(side);
                x.attr("w:w", number(*padding));
                x.attr("w:type", "dxa");
                x.end();
            }
        x.end();
    }
    x.end();

    x.start("w:tblGrid");
    for (size_t i = 1; i < edges.size(); ++i) {
        x.start("w:gridCol");
        x.attr("w:w", number(edges[i] - edges[i - 1]));
        x.end();
    }
    x.end();

    for (int r = 1; r <= table.rowCount(); ++r) {
        const TTable::Row& row = table.rows()[static_cast<size_t>(r - 1)];
        x.start("w:tr");
        if (table.rowHeading(r) || table.rowUnbroken(r)) {
            x.start("w:trPr");
            if (table.rowUnbroken(r))
                x.start("w:cantSplit"), x.end();
            if (table.rowHeading(r))
                x.start("w:tblHeader"), x.end();
            x.end();
        }
        TTwips left = 0;
        for (const TTableCell& cell : row) {
            const TTwips right = left + cell.width;
            const auto span = std::upper_bound(edges.begin(), edges.end(), right)
                - std::upper_bound(edges.begin(), edges.end(), left);
            left = right;
            x.start("w:tc");
            x.start("w:tcPr");
            x.start("w:tcW");
            x.attr("w:w", number(cell.width));
            x.attr("w:type", "dxa");
            x.end();
            if (span > 1)
                x.val("w:gridSpan", number(span));
            if (cell.vmerge == TVMerge::Restart)
                x.val("w:vMerge", "restart");
            else if (cell.vmerge == TVMerge::Continue)
                x.start("w:vMerge"), x.end();
            if (cell.bottom != TLineStyle::None) {
                x.start("w:tcBorders");
                x.border("w:bottom", cell.bottom);
                x.end();
            }
            if (cell.shading) {
                x.start("w:shd");
                x.attr("w:val", "clear");
                x.attr("w:color", "auto");
                x.attr("w:fill", fillValue(*cell.shading));
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

std::string stylesXml()
{
    Xml x;
    x.root("w:styles");
    x.start("w:docDefaults");
    x.start("w:rPrDefault");
    x.start("w:rPr");
    x.start("w:rFonts");
    for (const char* kind : {"w:ascii", "w:hAnsi", "w:cs", "w:eastAsia"})
        x.attr(kind, "Times New Roman");
    x.end();
    x.val("w:sz", "20");
    x.start("w:lang");
    x.attr("w:val", "ru-RU");
    x.end();
    x.end();
    x.end();
    x.start("w:pPrDefault");
    x.start("w:pPr");
    x.start("w:spacing");
    x.attr("w:after", "0");
    x.attr("w:line", "240");
    x.attr("w:lineRule", "auto");
    x.end();
    x.end();
    x.end();
    x.end();
    x.start("w:style");
    x.attr("w:type", "paragraph");
    x.attr("w:default", "1");
    x.attr("w:styleId", "Normal");
    x.val("w:name", "Normal");
    x.end();
    x.end();
    return x.finish();
}

struct Relationship {
    const char* id;
    const char* type;
    const char* target;
};

std::string relationships(std::initializer_list<Relationship> list)
{
    Xml x;
    x.start("Relationships");
    x.attr("xmlns", Rel);
    for (const Relationship& r : list) {
        x.start("Relationship");
        x.attr("Id", r.id);
        x.attr("Type", std::string(OfficeRel) + "/" + r.type);
        x.attr("Target", r.target);
        x.end();
    }
    x.end();
    return x.finish();
}

std::string footerXml(const TParagraph& footer)
{
    Xml x;
    x.root("w:ftr");
    writeParagraph(x, footer);
    x.end();
    return x.finish();
}

std::string contentTypes(bool footer)
{
    const std::string wml = "application/vnd.openxmlformats-officedocument.wordprocessingml.";
    Xml x;
    x.start("Types");
    x.attr("xmlns", "http://schemas.openxmlformats.org/package/2006/content-types");
    const std::pair<const char*, std::string> defaults[]
        = {{"rels", "application/vnd.openxmlformats-package.relationships+xml"}, {"xml", "application/xml"}};
    for (const auto& [extension, type] : defaults) {
        x.start("Default");
        x.attr("Extension", extension);
        x.attr("ContentType", type);
        x.end();
    }
    const std::pair<const char*, std::string> parts[] = {{"/word/document.xml", wml + "document.main+xml"},
                                                         {"/word/styles.xml", wml + "styles+xml"},
                                                         {"/word/footer1.xml", wml + "footer+xml"}};
    for (const auto& [part, type] : parts) {
        if (!footer && std::string(part) == "/word/footer1.xml")
            continue;
        x.start("Override");
        x.attr("PartName", part);
        x.attr("ContentType", type);
        x.end();
    }
    x.end();
    return x.finish();
}

struct ZipCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};

using Parts = std::vector<std::pair<const char*, std::string>>;

// Adds the parts to the archive, which refers to their bytes until it is closed.
void addParts(zip_t* archive, const Parts& parts)
{
    for (const auto& [name, data] : parts) {
        zip_source_t* source = zip_source_buffer(archive, data.data(), static_cast<zip_uint64_t>(data.size()), 0);
        const zip_int64_t index
            = source ? zip_file_add(archive, name, source, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE) : -1;
        if (index < 0) {
            if (source)
                zip_source_free(source);
            throw std::runtime_error(std::string("cannot add ") + name + ": " + zip_strerror(archive));
        }
        // The markup is highly repetitive: the fastest level packs it nearly as well.
        zip_set_file_compression(archive, static_cast<zip_uint64_t>(index), ZIP_CM_DEFLATE, FastestDeflate);
    }
}

std::string zipErrorText(zip_error_t& error)
{
    const std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

// The package's parts, by name within it.
Parts parts(const TDocument& doc)
{
    const bool footer = doc.footer.has_value();
    Parts all = {
        {"[Content_Types].xml", contentTypes(footer)},
        {"_rels/.rels", relationships({{"rId1", "officeDocument", "word/document.xml"}})},
        {"word/_rels/document.xml.rels",
         footer ? relationships({{"rId1", "styles", "styles.xml"}, {FooterId, "footer", "footer1.xml"}})
                : relationships({{"rId1", "styles", "styles.xml"}})},
        {"word/document.xml", TDocxWriter::documentXml(doc)},
        {"word/styles.xml", stylesXml()},
    };
    if (footer)
        all.emplace_back("word/footer1.xml", footerXml(*doc.footer));
    return all;
}
} // namespace

std::string TDocxWriter::documentXml(const TDocument& doc)
{
    const bool footer = doc.footer.has_value();
    Xml x;
    x.root("w:document");
    if (footer)
        x.attr("xmlns:r", OfficeRel);
    x.start("w:body");
    for (const TDocument::Block& block : doc.body()) {
        if (const auto* p = std::get_if<TParagraph>(&block))
            writeParagraph(x, *p, footer);
        else
            writeTable(x, std::get<TTable>(block));
    }
    // The body must not end with a table.
    if (std::holds_alternative<TTable>(doc.body().back()))
        writeParagraph(x, TParagraph{});
    writeSection(x, doc.lastSection, footer);
    x.end();
    x.end();
    return x.finish();
}

void TDocxWriter::save(const TDocument& doc, const std::string& path)
{
    const Parts content = parts(doc);
    int error = 0;
    std::unique_ptr<zip_t, ZipCloser> archive(zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &error));
    if (!archive) {
        zip_error_t ze;
        zip_error_init_with_code(&ze, error);
        throw std::runtime_error("cannot create " + path + ": " + zipErrorText(ze));
    }
    addParts(archive.get(), content);
    if (zip_close(archive.get()) < 0)
        throw std::runtime_error("cannot write " + path + ": " + zip_strerror(archive.get()));
    archive.release();
}

std::string TDocxWriter::bytes(const TDocument& doc)
{
    const Parts content = parts(doc);
    zip_error_t ze;
    zip_error_init(&ze);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &ze);
    if (!buffer)
        throw std::runtime_error("cannot make the document: " + zipErrorText(ze));
    const std::unique_ptr<zip_source_t, void (*)(zip_source_t*)> kept(buffer, zip_source_free);
    std::unique_ptr<zip_t, ZipCloser> archive(zip_open_from_source(buffer, ZIP_TRUNCATE, &ze));
    if (!archive)
        throw std::runtime_error("cannot make the document: " + zipErrorText(ze));
    // The archive took the buffer; it is kept for reading once the archive is closed.
    zip_source_keep(buffer);
    addParts(archive.get(), content);
    if (zip_close(archive.get()) < 0)
        throw std::runtime_error(std::string("cannot make the document: ") + zip_strerror(archive.get()));
    archive.release();

    std::string out;
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_source_stat(buffer, &st) < 0 || !(st.valid & ZIP_STAT_SIZE) || zip_source_open(buffer) < 0)
        throw std::runtime_error(std::string("cannot read the document made: ")
                                 + zip_error_strerror(zip_source_error(buffer)));
    out.resize(static_cast<size_t>(st.size));
    const zip_int64_t n = zip_source_read(buffer, out.data(), st.size);
    zip_source_close(buffer);
    if (n < 0 || static_cast<zip_uint64_t>(n) != st.size)
        throw std::runtime_error("cannot read the document made");
    return out;
}
