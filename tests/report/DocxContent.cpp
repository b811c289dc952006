#include "tests/report/DocxContent.h"

#include <QXmlStreamReader>
#include <gtest/gtest.h>
#include <zip.h>

int DocxTable::countMarks() const
{
    int marks = 0;
    for (const auto& row : rows)
        for (const DocxCell& c : row)
            marks += c.text() == QLatin1String("X");
    return marks;
}

const DocxSection& DocxContent::sectionOfTable(int t) const
{
    for (const DocxSection& s : sections)
        if (t < s.tablesBefore)
            return s;
    return sections.back();
}

QString DocxContent::bodyText() const
{
    QStringList all;
    for (const DocxParagraph& p : paragraphs)
        all << p.text;
    return all.join(QLatin1Char('\n'));
}

DocxContent DocxContent::load(const QString& path)
{
    int error = 0;
    zip_t* archive = zip_open(path.toLocal8Bit().constData(), ZIP_RDONLY, &error);
    EXPECT_NE(archive, nullptr) << "cannot open " << path.toStdString();
    if (!archive)
        return {};
    QByteArray xml;
    QByteArray footer;
    if (zip_name_locate(archive, "word/footer1.xml", 0) >= 0) {
        zip_stat_t st;
        zip_file_t* f = zip_fopen(archive, "word/footer1.xml", 0);
        if (f && zip_stat(archive, "word/footer1.xml", 0, &st) == 0) {
            footer.resize(static_cast<qsizetype>(st.size));
            zip_fread(f, footer.data(), st.size);
        }
        if (f)
            zip_fclose(f);
    }
    for (const char* name : {"[Content_Types].xml", "_rels/.rels", "word/styles.xml", "word/document.xml"}) {
        zip_stat_t st;
        EXPECT_EQ(zip_stat(archive, name, 0, &st), 0) << name;
        zip_file_t* f = zip_fopen(archive, name, 0);
        EXPECT_NE(f, nullptr) << name;
        if (!f)
            continue;
        QByteArray data(static_cast<qsizetype>(st.size), '\0');
        EXPECT_EQ(zip_fread(f, data.data(), st.size), static_cast<zip_int64_t>(st.size));
        zip_fclose(f);
        xml = data;
    }
    zip_close(archive);
    DocxContent doc = parse(xml);
    for (QXmlStreamReader r(footer); !footer.isEmpty() && !r.atEnd();) {
        r.readNext();
        if (r.isStartElement() && r.name() == u"t")
            doc.footerText += r.readElementText();
        else if (r.isStartElement() && r.name() == u"instrText")
            doc.footerFields << r.readElementText().trimmed();
    }
    return doc;
}

DocxContent DocxContent::parse(const QByteArray& documentXml)
{
    DocxContent doc;
    QXmlStreamReader r(documentXml);
    int tableDepth = 0;
    DocxParagraph para;
    DocxCell cell;
    bool inRun = false;
    bool inCellMargins = false;
    while (!r.atEnd()) {
        r.readNext();
        const QStringView name = r.name();
        if (r.isStartElement()) {
            const auto val = r.attributes().value(QLatin1String("w:val")).toString();
            if (name == u"tbl") {
                if (++tableDepth == 1) {
                    doc.tables.emplace_back();
                    doc.order += QLatin1Char('t');
                }
            } else if (name == u"tblCellMar") {
                inCellMargins = true;
            } else if ((name == u"left" || name == u"right") && inCellMargins) {
                const int twips = r.attributes().value(QLatin1String("w:w")).toInt();
                (name == u"left" ? doc.tables.back().leftMargin : doc.tables.back().rightMargin) = twips;
            } else if (name == u"gridCol") {
                doc.tables.back().grid.push_back(r.attributes().value(QLatin1String("w:w")).toInt());
            } else if (name == u"tr") {
                doc.tables.back().rows.emplace_back();
            } else if (name == u"tblHeader") {
                doc.tables.back().headingRows.push_back(static_cast<int>(doc.tables.back().rows.size()));
            } else if (name == u"tc") {
                cell = DocxCell{};
            } else if (name == u"gridSpan") {
                cell.span = val.toInt();
            } else if (name == u"vMerge") {
                cell.vmerge = val.isEmpty() ? QStringLiteral("continue") : val;
            } else if (name == u"shd") {
                cell.fill = r.attributes().value(QLatin1String("w:fill")).toString();
            } else if (name == u"bottom" && tableDepth > 0 && cell.paragraphs.isEmpty()) {
                cell.bottom = val;
            } else if (name == u"p") {
                para = DocxParagraph{};
            } else if (name == u"jc") {
                para.jc = val;
            } else if (name == u"r") {
                inRun = true;
            } else if (name == u"b" && inRun && para.halfPoints == 0) {
                para.bold = true;
            } else if (name == u"sz" && inRun && para.halfPoints == 0) {
                para.halfPoints = val.toInt();
            } else if (name == u"pgSz") {
                const auto a = r.attributes();
                doc.sections.push_back({a.value(QLatin1String("w:orient")) == u"landscape",
                                        a.value(QLatin1String("w:w")).toInt(), a.value(QLatin1String("w:h")).toInt(),
                                        static_cast<int>(doc.tables.size())});
            } else if (name == u"tab") {
                para.text += QLatin1Char('\t');
            } else if (name == u"br") {
                para.text += QLatin1Char('\f');
            } else if (name == u"t") {
                para.text += r.readElementText();
            }
        } else if (r.isEndElement()) {
            if (name == u"tbl") {
                --tableDepth;
            } else if (name == u"tblCellMar") {
                inCellMargins = false;
            } else if (name == u"tc") {
                doc.tables.back().rows.back().push_back(cell);
            } else if (name == u"r") {
                inRun = false;
            } else if (name == u"p") {
                if (tableDepth > 0)
                    cell.paragraphs << para.text;
                else {
                    doc.paragraphs.push_back(para);
                    doc.order += QLatin1Char('p');
                }
            }
        }
    }
    EXPECT_FALSE(r.hasError()) << r.errorString().toStdString();
    return doc;
}
