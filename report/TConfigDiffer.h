#pragma once
// The differences between two configurations in words: a fact whose value
// changed gives "key: old → new", a fact only in the first "- line", a fact
// only in the second "+ line", in the order of the descriptions. Then, for
// every byte whose change no differing fact explains (bits outside the fields
// described, data of switched-off algorithms and stages), "Байт 0xOOOO: AA → BB"
// with the offset and both bytes in hexadecimal. Lines are made printable.

#include "image/TImage.h"
#include "report/TFact.h"
#include "report/TReportInput.h"

#include <string>
#include <vector>

class TConfigDiffer {
public:
    static std::vector<std::string> lines(const std::vector<TFact>& a, const TImage& imageA,
                                          const std::vector<TFact>& b, const TImage& imageB);
    // Two whole projects: their facts as above and, before the bytes, every
    // algorithm name that differs where the facts do not tell it (an
    // algorithm switched off in either project), as "IN-n, Имя: old → new".
    static std::vector<std::string> lines(const TReportInput& a, const TReportInput& b);
};
