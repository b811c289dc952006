#include "report/TAcceptancePlan.h"

#include "image/TTargetKey.h"

#include <algorithm>
#include <cstdint>

namespace {

// FNV-1a, 64 bits: a change of any byte or text hashed changes it but for
// a chance of one in 2^64.
class Fnv {
public:
    void add(std::string_view bytes)
    {
        for (const char c : bytes) {
            m_hash ^= static_cast<uint8_t>(c);
            m_hash *= 0x100000001b3ULL;
        }
    }
    // Texts of any length, told apart from what follows them.
    void addText(const std::string& text)
    {
        add(std::to_string(text.size()) + ":");
        add(text);
    }
    std::string hex() const
    {
        static const char digits[] = "0123456789abcdef";
        std::string out(16, '0');
        for (int i = 0; i < 16; ++i)
            out[static_cast<size_t>(15 - i)] = digits[(m_hash >> (4 * i)) & 0xF];
        return out;
    }

private:
    uint64_t m_hash = 0xcbf29ce484222325ULL;
};

} // namespace

std::string TAcceptancePlan::key(const TCauseMatrix::Column& column)
{
    return column.kind == TCauseMatrix::Kind::Output ? TTargetKey::output(column.unit, column.index)
                                                     : TTargetKey::relay(column.unit, column.index);
}

TAcceptancePlan TAcceptancePlan::of(const TImage& image, const Names& names, const TSiteNames& site)
{
    const TCauseMatrix matrix = TCauseMatrix::of(image, names, site);
    TAcceptancePlan plan;
    for (size_t r = 0; r < matrix.rows.size(); ++r) {
        const TCauseMatrix::Row& row = matrix.rows[r];
        Input input;
        input.number = row.plan.number;
        input.head = row.head;
        Fnv hash;
        const int record = Layout::recordOffset(input.number);
        hash.add(std::string_view(reinterpret_cast<const char*>(image.bytes().data()) + record, Layout::RecordSize));
        for (const TAlarmPlan::Stage& stage : row.plan.running)
            for (size_t c = 0; c < matrix.columns.size(); ++c) {
                const std::vector<int>& cell = row.cells[c];
                if (std::find(cell.begin(), cell.end(), stage.number) == cell.end())
                    continue;
                const TCauseMatrix::Column& column = matrix.columns[c];
                Effect e;
                e.stage = stage.number;
                e.start = stage.start;
                e.time = stage.span();
                e.message = column.kind == TCauseMatrix::Kind::Output ? stage.message() : std::string();
                e.kind = column.kind;
                e.key = key(column);
                e.head = column.head;
                e.name = column.name;
                hash.addText(std::to_string(e.stage) + " " + e.key);
                hash.addText(e.name);
                input.effects.push_back(std::move(e));
            }
        input.fingerprint = hash.hex();
        plan.inputs.push_back(std::move(input));
    }
    return plan;
}

const TAcceptancePlan::Input* TAcceptancePlan::input(int number) const
{
    const auto found
        = std::find_if(inputs.begin(), inputs.end(), [number](const Input& in) { return in.number == number; });
    return found == inputs.end() ? nullptr : &*found;
}
