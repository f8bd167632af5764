// The information texts shown in the panes' information windows and the
// help pages opened by the Help buttons and menus.
#pragma once

#include <string>
#include <vector>

struct NamedText {
    std::string name;       // file name relative to the installation folder
    std::string contents;   // "\n" line ends
};

// "3D.INF", "XS.INF", "SEIS.INF", "MAP_EV.INF", "MAP_ST.INF" and the texts
// their "more" tags lead to. Lines flow into paragraphs when shown; a blank
// line starts a new paragraph; PRE blocks keep their lines.
std::vector<NamedText> infoTexts();

// The help topic numbers the programs open (0 is the contents).
std::vector<int> helpTopics();
// One page per topic, named "help/<topic>.html".
std::vector<NamedText> helpPages();
