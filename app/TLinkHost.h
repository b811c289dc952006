#pragma once
// What the controller link needs from the window that holds it: the one
// image, the saved flag, the status bar, the toolbar buttons the link drives
// and the editor reload after a whole image has moved.

#include <QString>

class TImage;

class TLinkHost {
public:
    virtual ~TLinkHost() = default;

    // Read into by a read, sent by a write.
    virtual TImage& image() = 0;
    virtual bool saved() const = 0;
    // Panel 0 shows the connection, panel 1 the controller's identification.
    virtual void setStatusText(int panel, const QString& text) = 0;
    // "Чтение" and "Запись" usable or not.
    virtual void setTransferUsable(bool usable) = 0;
    // "Подключить" up again: the scan did not start or ended without a port.
    virtual void releaseFind() = 0;
    // A read or write has started, and has ended: completed or not (a
    // disconnect, a new scan, the line lost, closing). The image belongs to
    // the transfer in between.
    virtual void transferStarted() = 0;
    virtual void transferEnded() = 0;
    // A read or write has completed: tree and pages follow the image.
    virtual void EditorReload() = 0;
    virtual void SetProjectName(const QString& name) = 0;
    // The project's name, which labels the backup of a write.
    virtual QString projectName() const = 0;
    // Before a write of image sends anything: false when the configuration
    // has errors and the user, told of them, did not choose to write it.
    virtual bool approveWrite(const TImage& image) = 0;
};
