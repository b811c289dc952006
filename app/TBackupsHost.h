#pragma once
// What the backups window needs from the main window: the three things it
// does with a kept image.

#include <QString>

#include <string>

class TImage;

class TBackupsHost {
public:
    virtual ~TBackupsHost() = default;

    // The differences between the project and the image.
    virtual void compareWithBackup(const TImage& image, const QString& fileName) = 0;
    // The image as the project, named as a read names the controller's.
    virtual void openBackup(const TImage& image, const QString& projectName) = 0;
    // The image written to the connected controller as "Запись" writes;
    // serial: the controller's characters in the backup's file name.
    virtual void writeBackup(const TImage& image, const std::string& serial) = 0;
};
