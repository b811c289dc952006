#pragma once
// The document model: the body as a sequence of paragraphs and tables, the
// page of its last section and a footer shown on every page.

#include "report/TParagraph.h"
#include "report/TTable.h"

#include <optional>
#include <variant>
#include <vector>

class TDocument {
public:
    using Block = std::variant<TParagraph, TTable>;

    TDocument() : m_body{TParagraph{}} {}

    std::vector<Block>& body() { return m_body; }
    const std::vector<Block>& body() const { return m_body; }
    int blockCount() const { return static_cast<int>(m_body.size()); }

    TParagraph* paragraphAt(int block) { return std::get_if<TParagraph>(&m_body.at(static_cast<size_t>(block))); }
    TTable* tableAt(int block) { return std::get_if<TTable>(&m_body.at(static_cast<size_t>(block))); }
    const TTable* tableAt(int block) const { return std::get_if<TTable>(&m_body.at(static_cast<size_t>(block))); }

    int newTableId() { return ++m_lastTableId; }

    // The page of the section that ends with the body; paragraphs end the
    // sections before it.
    TPageSetup lastSection;
    std::optional<TParagraph> footer;

private:
    std::vector<Block> m_body;
    int m_lastTableId = 0;
};
