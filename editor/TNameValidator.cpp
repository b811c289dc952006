#include "editor/TNameValidator.h"

#include "project/TNamesFile.h"

QValidator::State TNameValidator::validate(QString& input, int&) const
{
    // Refusing rather than fixing up: a name is never changed behind the user's back.
    return TNamesFile::canStore(input.toStdString()) ? Acceptable : Invalid;
}
