// SPDX-License-Identifier: MIT
// A UI Automation client, as a Windows screen reader is one, for uia_test.sh: it finds the
// editor's window, and on the command "tree" (a line on its input) prints the window's tree as
// the raw view has it, on "rect" the bounding rectangle of the element with the keyboard focus;
// meanwhile it prints each focus change, and the name changes and notifications where the
// system delivers them. First it prints which of these it could follow. It
// asks only what Wine's client answers: properties through GetCurrentPropertyValueEx and a walker
// made with CreateTreeWalker. Usage: quarl-uia-client WINDOW-TITLE
#include <fcntl.h>
#include <io.h>
#include <uiautomation.h>
#include <windows.h>

#include <cstdio>
#include <iostream>
#include <mutex>
#include <string>

namespace {

const CLSID kCUIAutomation = {
    0xff48dba4, 0x60ef, 0x4201, {0xaa, 0x87, 0x54, 0x10, 0x3e, 0xef, 0x59, 0x4e}};

std::mutex printing;

std::string Utf8(const wchar_t* text, int length) {
    if (text == nullptr || length <= 0) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text, length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

std::string Text(const VARIANT& value) {
    switch (value.vt) {
        case VT_BSTR:
            return Utf8(value.bstrVal, static_cast<int>(SysStringLen(value.bstrVal)));
        case VT_I4:
            return std::to_string(value.lVal);
        case VT_BOOL:
            return value.boolVal != VARIANT_FALSE ? "true" : "false";
        default:
            return "-";
    }
}

std::string Property(IUIAutomationElement* element, PROPERTYID id) {
    VARIANT value;
    VariantInit(&value);
    if (FAILED(element->GetCurrentPropertyValueEx(id, TRUE, &value))) return "?";
    std::string text = Text(value);
    VariantClear(&value);
    return text;
}

// "type|name|automation id" of an element, the control type by its UIA number.
std::string Describe(IUIAutomationElement* element) {
    return Property(element, UIA_ControlTypePropertyId) + "|" +
           Property(element, UIA_NamePropertyId) + "|" +
           Property(element, UIA_AutomationIdPropertyId);
}

void Print(const std::string& line) {
    const std::lock_guard<std::mutex> lock(printing);
    std::cout << line << std::endl;
}

// The event handlers, each a COM object of its own, living as long as the client.
template <typename Interface>
class Handler : public Interface {
  public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (iid == __uuidof(IUnknown) || iid == __uuidof(Interface)) {
            *object = static_cast<Interface*>(this);
            return S_OK;
        }
        *object = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

class FocusHandler final : public Handler<IUIAutomationFocusChangedEventHandler> {
  public:
    HRESULT STDMETHODCALLTYPE HandleFocusChangedEvent(IUIAutomationElement* sender) override {
        Print("focus " + Describe(sender));
        return S_OK;
    }
};

class NameHandler final : public Handler<IUIAutomationPropertyChangedEventHandler> {
  public:
    HRESULT STDMETHODCALLTYPE HandlePropertyChangedEvent(IUIAutomationElement* sender, PROPERTYID,
                                                         VARIANT value) override {
        Print("name " + Property(sender, UIA_ControlTypePropertyId) + "|" + Text(value));
        return S_OK;
    }
};

class NotificationHandler final : public Handler<IUIAutomationNotificationEventHandler> {
  public:
    HRESULT STDMETHODCALLTYPE HandleNotificationEvent(IUIAutomationElement* sender,
                                                      NotificationKind, NotificationProcessing,
                                                      BSTR text, BSTR) override {
        Print("notification " + Property(sender, UIA_NamePropertyId) + "|" +
              Utf8(text, static_cast<int>(SysStringLen(text))));
        return S_OK;
    }
};

std::string Hex(HRESULT result) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08lx", static_cast<unsigned long>(result));
    return text;
}

// The tree below ELEMENT, one line an element, indented by depth, "|focused" at the end of the
// ones with the keyboard focus. Of a table's cells, the first and the focused are printed, and
// their number.
void PrintTree(IUIAutomationTreeWalker* walker, IUIAutomationElement* element, int depth) {
    IUIAutomationElement* child = nullptr;
    walker->GetFirstChildElement(element, &child);
    int cells = 0;
    while (child != nullptr) {
        std::string line = std::string(static_cast<std::size_t>(depth) * 2, ' ') + Describe(child);
        const bool focused = Property(child, UIA_HasKeyboardFocusPropertyId) == "true";
        if (focused) line += "|focused";
        if (Property(child, UIA_ControlTypePropertyId) ==
            std::to_string(UIA_DataItemControlTypeId)) {
            if (cells++ == 0 || focused) Print(line);
        } else {
            Print(line);
            PrintTree(walker, child, depth + 1);
        }
        IUIAutomationElement* next = nullptr;
        walker->GetNextSiblingElement(child, &next);
        child->Release();
        child = next;
    }
    if (cells > 0)
        Print(std::string(static_cast<std::size_t>(depth) * 2, ' ') + "cells " +
              std::to_string(cells));
}

// The first element below ELEMENT with the keyboard focus, or none.
IUIAutomationElement* FindFocused(IUIAutomationTreeWalker* walker, IUIAutomationElement* element) {
    IUIAutomationElement* child = nullptr;
    walker->GetFirstChildElement(element, &child);
    while (child != nullptr) {
        if (Property(child, UIA_HasKeyboardFocusPropertyId) == "true") return child;
        if (IUIAutomationElement* found = FindFocused(walker, child)) {
            child->Release();
            return found;
        }
        IUIAutomationElement* next = nullptr;
        walker->GetNextSiblingElement(child, &next);
        child->Release();
        child = next;
    }
    return nullptr;
}

// "rect NAME LEFT TOP RIGHT BOTTOM" of the element with the keyboard focus, in screen pixels.
void PrintFocusedRect(IUIAutomationTreeWalker* walker, IUIAutomationElement* root) {
    IUIAutomationElement* focused = FindFocused(walker, root);
    RECT rect{};
    if (focused == nullptr || FAILED(focused->get_CurrentBoundingRectangle(&rect))) {
        Print("rect none");
    } else {
        Print("rect " + Property(focused, UIA_NamePropertyId) + "|" + std::to_string(rect.left) +
              " " + std::to_string(rect.top) + " " + std::to_string(rect.right) + " " +
              std::to_string(rect.bottom));
    }
    if (focused != nullptr) focused->Release();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: quarl-uia-client WINDOW-TITLE\n";
        return 2;
    }
    _setmode(_fileno(stdout), _O_BINARY);  // lines end as the test's shell reads them
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    IUIAutomation* automation = nullptr;
    HRESULT result =
        CoCreateInstance(kCUIAutomation, nullptr, CLSCTX_INPROC_SERVER, __uuidof(IUIAutomation),
                         reinterpret_cast<void**>(&automation));
    if (FAILED(result)) {
        std::cerr << "no UI Automation client: " << Hex(result) << "\n";
        return 1;
    }
    HWND window = nullptr;
    for (int tries = 0; window == nullptr && tries < 200; ++tries) {
        window = FindWindowA(nullptr, argv[1]);
        if (window == nullptr) Sleep(100);
    }
    IUIAutomationElement* root = nullptr;
    if (window == nullptr || FAILED(automation->ElementFromHandle(window, &root))) {
        std::cerr << "no window " << argv[1] << "\n";
        return 1;
    }

    static FocusHandler focus;
    static NameHandler names;
    static NotificationHandler notifications;
    Print("events focus " + Hex(automation->AddFocusChangedEventHandler(nullptr, &focus)));
    PROPERTYID name = UIA_NamePropertyId;
    Print("events name " + Hex(automation->AddPropertyChangedEventHandlerNativeArray(
                               root, TreeScope_Subtree, nullptr, &names, &name, 1)));
    IUIAutomation5* automation5 = nullptr;
    result = automation->QueryInterface(__uuidof(IUIAutomation5),
                                        reinterpret_cast<void**>(&automation5));
    if (SUCCEEDED(result)) {
        result = automation5->AddNotificationEventHandler(root, TreeScope_Subtree, nullptr,
                                                          &notifications);
    }
    Print("events notification " + Hex(result));

    IUIAutomationCondition* everything = nullptr;
    IUIAutomationTreeWalker* walker = nullptr;
    automation->CreateTrueCondition(&everything);
    automation->CreateTreeWalker(everything, &walker);
    Print("ready");
    for (std::string command; std::getline(std::cin, command);) {
        if (!command.empty() && command.back() == '\r') command.pop_back();
        if (command == "tree") {
            Print("tree " + Describe(root));
            PrintTree(walker, root, 1);
            Print("end of tree");
        } else if (command == "rect") {
            PrintFocusedRect(walker, root);
        }
    }
    automation->RemoveAllEventHandlers();
    return 0;
}
