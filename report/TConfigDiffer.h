#pragma once
// The differences between two configurations in words: a fact whose value
// changed gives "key: old → new", a fact only in the first "- line", a fact
// only in the second "+ line", in the order of the descriptions. Then, for
// every byte whose change no differing fact explains (bits outside the fields
// described, data of switched-off algorithms and stages), "Байт 0xOOOO: AA → BB"
// with the offset and both bytes in hexadecimal.

#include "image/TImage.h"
#include "report/TFact.h"

#include <string>
#include <vector>

class TConfigDiffer {
public:
    static std::vector<std::string> lines(const std::vector<TFact>& a, const TImage& imageA,
                                          const std::vector<TFact>& b, const TImage& imageB);
};
