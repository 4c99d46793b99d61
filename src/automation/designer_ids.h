#pragma once
// The designer's numbers, named once: the DispID of every member Strovex
// calls, the object kinds and the one function kind it tells apart. The typed
// client (designer.h), the simulated designer and the tests' fakes all take
// them from here; tests/automation/dispid_table_test.cpp keeps its own copy of
// the DispIDs to check this table against. Free of Qt.

namespace strovex {

namespace dispid {

// quillApp, the application object.
namespace App {
enum : int { Quit = 2, ErrorText = 10, ErrorDetail = 11, OpenLabel = 24, Initialize = 27, AutomationFlag = 32 };
}

// IQuillmark, an opened label.
namespace Label {
enum : int {
    FileName = 1, Save = 3, Objects = 11, Variables = 12, Functions = 13, Databases = 14, PrinterName = 15,
    OtherVariables = 17, Version = 34, GetDependentFiles = 39, Settings = 40, GetPrinterSetting = 41,
    PrinterPort = 43, HorizontalResolution = 44, VerticalResolution = 45, GetSpeedUnit = 47, ExportPreview = 57,
    GetDarknessValues = 61, VariableMode = 76, OriginalPrinter = 85, FormName = 86
};
}

// ILabelSettings.
namespace Settings {
enum : int { Title = 1, Unit = 4, Width = 13, Length = 14, ColumnOffset = 17, RowOffset = 18 };
}

// Every list: objects, variables, databases, functions.
namespace List {
enum : int { Count = 1, Item = 2, FindByName = 3 /* variable lists only */ };
}

// IVar, a variable.
namespace Var {
enum : int {
    ID = 1, Name = 2, Kind = 6, Length = 10, InputFormat = 22, DefaultValue = 26, PromptMode = 27, IsUsed = 41,
    PromptOrder = 50, Marked = 61
};
}

// An object of the label.
namespace Object {
enum : int {
    Left = 2, Top = 3, Name = 6, Kind = 7, Status = 9, Locked = 13, Variable = 17, Contents = 24, FontName = 25,
    Italic = 26, Bold = 27, SetFileName = 29, FontSize = 31, Underline = 45, Strikeout = 46
};
}

// A database of the label.
namespace Database {
enum : int {
    Name = 2, Description = 3, InputVariables = 6, OutputVariables = 7, IsUsed = 11, DriverType = 12,
    TableName = 18, OrderField = 19, Navigation = 21, SQL = 23, ConnectionString = 24
};
}

// A function of the label.
namespace Function {
enum : int {
    Name = 2, Description = 3, Kind = 4, InputVariables = 6, OutputVariables = 7, IsUsed = 11, Script = 12,
    KindName = 13
};
}

} // namespace dispid

// What an object's Kind answers.
namespace ObjectKind {
enum : int {
    Text = 301, Rectangle = 302, Graphics = 303, Barcode = 304, Line = 305, Inverse = 306, OleObject = 307,
    Paragraph = 309, Rtf = 312, Ellipse = 313
};
}

// The function kind whose KindName says what it is (scripts among them).
inline constexpr int kExternalFunctionKind = 9;

} // namespace strovex
