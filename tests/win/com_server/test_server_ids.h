#pragma once
// What the tests and the test server agree on: members beyond the designer's
// own DispIDs, the values they return, and the exported counter.

namespace quill_test {

// Application object: designer members used by the tests.
inline constexpr int kQuit = 2;
inline constexpr int kErrorText = 10;
inline constexpr int kOpenLabel = 24;      // method(path): label, or a null object for "missing.lbl"
inline constexpr int kInitialize = 27;     // answers only when called as a method
inline constexpr int kAutomationFlag = 32; // put(bool) with the named put argument only; get returns it

// Application object: members made for the tests.
inline constexpr int kGeneration = 1001;     // get: 6 or 5, the identifier it was created under
inline constexpr int kDescribe = 1002;       // method(...): "BSTR:x|I4:1|BOOL:-1|R8:2.5|EMPTY|DISPATCH"
inline constexpr int kTyped = 1003;          // method(vartype): a value of that VARTYPE (below); others an array
inline constexpr int kRaise = 1004;          // method(text): raises with that description
inline constexpr int kRaiseDeferred = 1005;  // method: raises; the description comes from the deferred fill-in
inline constexpr int kFailWith = 1006;       // method(hr): returns that HRESULT, no exception record
inline constexpr int kRaiseWithoutText = 1007; // method(scode): raises with that code and no description
inline constexpr int kNullObject = 1008;     // get: a null dispatch
inline constexpr int kGetOnly = 1009;        // answers only when the property-get flag is set: 42
inline constexpr int kEcho = 1010;           // method(x): x itself

inline constexpr wchar_t kDeferredText[] = L"Deferred description from the server";

// Label object.
inline constexpr int kFileName = 1;
inline constexpr int kVariables = 12;
inline constexpr int kPrinterName = 15; // get and put
// Variable list and variable.
inline constexpr int kCount = 1;
inline constexpr int kItem = 2; // 1-based; raises "Index out of range" otherwise
inline constexpr int kName = 2;
inline constexpr wchar_t kIndexError[] = L"Index out of range";
inline constexpr const wchar_t *kVariableNames[] = {L"Alpha", L"Beta", L"Gamma"};

// Values of kTyped, by VARTYPE (with VT_BYREF the same value through a reference).
inline constexpr signed char kI1 = -5;
inline constexpr unsigned char kUI1 = 200;
inline constexpr short kI2 = -300;
inline constexpr unsigned short kUI2 = 60000;
inline constexpr long kI4 = -70000;
inline constexpr unsigned long kUI4Small = 70000;
inline constexpr unsigned long long kUI4Large = 4000000000ull; // sent as VT_UI4 with vartype VT_UI4 | 0x10000
inline constexpr long long kI8 = -5000000000ll;
inline constexpr float kR4 = 1.5f;
inline constexpr double kR8 = -2.25;
inline constexpr wchar_t kText[] = L"Gr\u00FC\u00DFe \u4E16\u754C";
inline constexpr int kLargeFlag = 0x10000;

// The server module and its export: long __stdcall QuillTestLiveObjects(void),
// the number of its objects (applications, labels, lists, variables) alive.
inline constexpr wchar_t kModuleName[] = L"quill_test_server.dll";
inline constexpr char kLiveObjectsExport[] = "QuillTestLiveObjects";

} // namespace quill_test
