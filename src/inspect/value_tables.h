#pragma once
// Designer codes and objects turned into the texts the pages show and compare.
// Stateless. A code outside a table gives an empty text and never fails; the
// functions that read designer objects let a failed call (AutomationError)
// reach the caller unchanged.

#include "automation/designer.h"

#include <QString>

namespace strovex {

// The function-kind text by which script functions are recognised everywhere.
inline QString visualBasicScriptText() { return QStringLiteral("Visual Basic Script"); }

QString InputFormatText(int code);
QString VariableKindText(int code);
// Designer flags arrive as automation booleans (true is -1): only zero is "No".
QString YesNoText(int flag);
QString ObjectStatusText(int code);
QString ObjectKindText(int code);
QString NavigationText(int code);

// The text of a function kind; `kindName` is consulted for the external kind 9
// only: known identifiers (exact case) map to their text, any other identifier
// is itself the result.
QString FunctionKindText(int kind, const QString &kindName);
QString ExternalFunctionKindText(const QString &kindName);

// Reads Kind, and KindName only for kind 9.
QString FunctionKindText(const IFunctionItem &function);

// The members of one object that its row, its additional information and the
// Fonts page show. Kind is read first; the others only for the kinds that show
// them, each once: with an out-of-process designer every read is a round trip.
//   Text, Paragraph: Contents, FontName, FontSize, Italic, Bold, Underline, Strikeout
//   Barcode: Contents, FontName;  RTF, Graphics: Contents;  other kinds: nothing more
struct ObjectMembers {
    int Kind = 0;
    QString Contents;
    QString FontName;
    int FontSize = 0;
    bool Italic = false;
    bool Bold = false;
    bool Underline = false;
    bool Strikeout = false;
};
ObjectMembers ReadObjectMembers(const IObjectItem &object);
// The same for a caller that has read Kind already.
ObjectMembers ReadObjectMembers(const IObjectItem &object, int kind);

// Text and Barcode: Contents; Paragraph and RTF: its first 50 characters and
// "..."; any other kind: empty.
QString ObjectContentsText(const ObjectMembers &object);

// Font of a Text or Paragraph object, e.g. "Arial; 12 pt; Italic, Bold" (Text)
// or "Arial, 12 pt, Italic, Bold" (Paragraph); empty for other kinds. Decimal
// sizes use the default locale's decimal separator.
QString ObjectFontText(const ObjectMembers &object);
QString FontSizeText(int tenthsOfPoint);
QString FontStyleText(bool italic, bool bold, bool underline, bool strikeout);

// Text, Paragraph, RTF: ObjectFontText; Graphics: Contents (the picture path);
// Barcode: FontName; any other kind: empty.
QString ObjectAdditionalInfo(const ObjectMembers &object);

// The font name the Fonts page lists for this object: Text and Paragraph only.
QString ListedFontName(const ObjectMembers &object);

// The names of a variable list, each in double quotes, joined by ", ". Names
// are taken as they are. A missing list gives an empty text; a missing item is
// skipped with its separator.
QString JoinVariableNames(const IVariableList &list);

} // namespace strovex
