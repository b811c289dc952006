#pragma once
// The pictures drawn beside tree nodes: off or empty, on or assigned, and not
// reachable.

#include <QIcon>

class TStateMarks {
public:
    enum Mark { None = 0, Off = 1, On = 2, Unreachable = 3 };

    // An empty icon for None and for any value outside the three marks.
    static QIcon icon(int mark);
};
