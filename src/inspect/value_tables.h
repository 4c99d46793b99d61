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

// Text and Barcode: Contents; Paragraph and RTF: its first 50 characters and
// "..."; any other kind: empty.
QString ObjectContentsText(const IObjectItem &object);

// Font of a Text or Paragraph object, e.g. "Arial; 12 pt; Italic, Bold" (Text)
// or "Arial, 12 pt, Italic, Bold" (Paragraph); empty for other kinds. Decimal
// sizes use the default locale's decimal separator.
QString ObjectFontText(const IObjectItem &object);
// The pure part of ObjectFontText, for callers that already hold the values.
QString FontSizeText(int tenthsOfPoint);
QString FontStyleText(bool italic, bool bold, bool underline, bool strikeout);

// Text, Paragraph, RTF: ObjectFontText; Graphics: Contents (the picture path);
// Barcode: FontName; any other kind: empty.
QString ObjectAdditionalInfo(const IObjectItem &object);

// The names of a variable list, each in double quotes, joined by ", ". Names
// are taken as they are. A missing list gives an empty text; a missing item is
// skipped with its separator.
QString JoinVariableNames(const IVariableList &list);

} // namespace strovex
