// The commands of the display program: what its menus, buttons, pop-ups and
// the world map ask of the main window, and the ids of the program-drawn
// buttons that report them. Plain C++, so that the layout decisions can name
// them too.
#pragma once

enum class Command : int {
    // Menu items. Their numbers are the data of the menu's actions, so they stay fixed.
    ViewEarth = 101,
    ViewCrossSection = 102,
    ViewAll = 103,
    List = 201,
    Map = 202,
    Exit = 203,
    Phases = 204,
    Speed = 205,
    About = 206,
    HelpContents = 207,
    Audio = 208,
    Restart = 209,
    TimeWindow = 211,
    MakeBitmap = 212,
    SelectView = 213,
    RunFromScript = 214,

    // The Enter key, and the welcome screen's Start button.
    Enter,
    WelcomeStart,
    // The world map starts the event it has made current.
    StartCurrentEvent,

    // The buttons of the button bar, and a right click on the bar (the World
    // Menu without the button's click sound).
    Pause,
    WorldMenu,
    Repeat,
    Views,
    ExitButton,
    EventInfoButton,
    TutorialButton,
    RightClickWorldMenu,

    // Information texts: the views' Info buttons and the bar's Event Info.
    SeismogramInfo,
    CrossSectionInfo,
    GlobeInfo,
    EventInfo,
    // Browsing the tutorial from its first step.
    TutorialBrowse,

    // The Info button every view draws (it sends its view's information command).
    InfoButton,
    // The buttons of the information and tutorial windows.
    InfoBack,
    InfoMore,
    TutorialContinue,
    TutorialNext,
    TutorialPrevious,
    TutorialCancel,
    // The world map's own buttons.
    MapExit,
    MapInformation,
};
