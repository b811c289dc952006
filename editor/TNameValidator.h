#pragma once
// Accepts exactly the texts an algorithm name may hold: what the names file
// can store and read back unchanged (Windows-1251 characters, no line break).

#include <QValidator>

class TNameValidator : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;

    State validate(QString& input, int& pos) const override;
};
