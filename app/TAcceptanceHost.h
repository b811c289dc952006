#pragma once
// What the acceptance test window needs from the main window: the project
// whose inputs are tested, where its file is, and a way to save a project
// that has no file yet, for the results are kept beside it.

class TFilePlaces;
class TProject;

class TAcceptanceHost {
public:
    virtual ~TAcceptanceHost() = default;

    virtual TProject& project() = 0;
    virtual TFilePlaces& filePlaces() = 0;
    // Runs "Сохранить" with its dialog; true when the project has a file then.
    virtual bool saveProject() = 0;
};
