// A stand-in for bcdedit.exe in the test bed's Wine prefix (test builds
// only). It keeps a model of the boot store in bcdedit.json beside itself,
// applies the commands the installer gives the way the real tool does, and
// exits with 1 where the real tool reports an error. Every command line
// goes into bcdedit.log beside it, one line of arguments each.
//
// QNB_BCDEDIT_FAIL=TEXT makes every command whose arguments start with
// TEXT fail (exit code 1, the store unchanged): a chosen row of the sequence.
//
// The store:
//   {"current": "{guid}", "objects": {"{bootmgr}": {"type": "bootmgr",
//    "elements": {"displayorder": ["{guid}"], "default": "{guid}", "timeout": "30", ...}},
//    "{guid}": {"type": "osloader", "elements": {"description": "Windows 10", ...}}}}
#include <json/json.h>
#include <windows.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Narrow(const std::wstring& wide) {
    int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), out.data(), size, nullptr, nullptr);
    return out;
}

std::wstring Wide(const std::string& utf8) {
    int size = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), nullptr, 0);
    std::wstring out(static_cast<size_t>(size), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), out.data(), size);
    return out;
}

std::wstring Beside(const wchar_t* name) {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\') + 1) + name;
}

// What follows the program on the command line, as given.
std::string Arguments() {
    std::wstring line = GetCommandLineW();
    size_t i = 0;
    if (!line.empty() && line[0] == L'"') {
        i = line.find(L'"', 1);
        i = i == std::wstring::npos ? line.size() : i + 1;
    } else {
        while (i < line.size() && line[i] != L' ' && line[i] != L'\t') ++i;
    }
    while (i < line.size() && (line[i] == L' ' || line[i] == L'\t')) ++i;
    return Narrow(line.substr(i));
}

// Words, with "..." kept together (the quotes taken off).
std::vector<std::string> Words(const std::string& arguments) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, any = false;
    for (char c : arguments) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if ((c == ' ' || c == '\t') && !quoted) {
            if (any) words.push_back(word);
            word.clear();
            any = false;
        } else {
            word += c;
            any = true;
        }
    }
    if (any) words.push_back(word);
    return words;
}

std::string Lower(std::string text) {
    for (char& c : text) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return text;
}

bool ReadFile(const std::wstring& path, std::string* bytes) {
    std::ifstream in(path.c_str(), std::ios::binary);
    if (!in) return false;
    std::stringstream text;
    text << in.rdbuf();
    *bytes = text.str();
    return true;
}

bool WriteFile(const std::wstring& path, const std::string& bytes) {
    std::ofstream out(path.c_str(), std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out);
}

std::string Render(const Json::Value& store) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "  ";
    builder["emitUTF8"] = true;
    return Json::writeString(builder, store) + "\n";
}

class Failed {
public:
    explicit Failed(std::string text) : message(std::move(text)) {}
    std::string message;
};

bool IsGuid(const std::string& id) {
    // {xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx}
    if (id.size() != 38 || id.front() != '{' || id.back() != '}') return false;
    for (size_t i = 1; i < 37; ++i) {
        bool dash = i == 9 || i == 14 || i == 19 || i == 24;
        if (dash ? id[i] != '-' : !isxdigit(static_cast<unsigned char>(id[i]))) return false;
    }
    return true;
}

const std::set<std::string> kWellKnown = {"{bootmgr}", "{ramdiskoptions}", "{memdiag}", "{globalsettings}",
                                          "{bootloadersettings}", "{current}", "{default}"};
const std::set<std::string> kBooleans = {"detecthal", "winpe", "displaybootmenu"};
const std::set<std::string> kTexts = {"description", "path", "systemroot", "ramdisksdipath"};
const std::set<std::string> kDevices = {"device", "osdevice", "ramdisksdidevice"};

class Store {
public:
    explicit Store(Json::Value root) : root_(std::move(root)) {
        if (!root_.isObject()) throw Failed("the store is damaged");
    }
    const Json::Value& root() const { return root_; }

    // The object an identifier names: {current} and {default} resolved, GUIDs in lower case.
    std::string Resolve(const std::string& given) const {
        std::string id = Lower(given);
        if (id == "{current}") id = root_["current"].asString();
        if (id == "{default}") id = root_["objects"]["{bootmgr}"]["elements"]["default"].asString();
        if (!root_["objects"].isMember(id)) throw Failed("The specified entry " + given + " could not be found.");
        return id;
    }
    bool Has(const std::string& id) const { return root_["objects"].isMember(Lower(id)); }

    void Delete(const std::vector<std::string>& w) {
        if (w.size() < 2) throw Failed("The /delete command needs an identifier.");
        std::string id = Resolve(w[1]);
        bool force = false, cleanup = true;
        for (size_t i = 2; i < w.size(); ++i) {
            std::string o = Lower(w[i]);
            if (o == "/f") force = true;
            else if (o == "/cleanup") cleanup = true;
            else if (o == "/nocleanup") cleanup = false;
            else throw Failed("The parameter " + w[i] + " is incorrect.");
        }
        if (!force && (kWellKnown.count(Lower(w[1])) || id == "{bootmgr}")) {
            throw Failed("The well-known entry " + w[1] + " is deleted only with /f.");
        }
        root_["objects"].removeMember(id);
        if (!cleanup) return;
        // The entry goes from the display orders, and whatever else refers to it.
        Json::Value& manager = root_["objects"]["{bootmgr}"]["elements"];
        for (const char* list : {"displayorder", "toolsdisplayorder"}) {
            if (!manager.isMember(list)) continue;
            Json::Value kept(Json::arrayValue);
            for (const Json::Value& entry : manager[list]) {
                if (entry.asString() != id) kept.append(entry);
            }
            manager[list] = kept;
        }
        if (manager["default"].asString() == id) manager.removeMember("default");
    }

    void Create(const std::vector<std::string>& w) {
        if (w.size() < 2) throw Failed("The /create command needs an identifier.");
        std::string id = Lower(w[1]);
        std::string description, application;
        for (size_t i = 2; i < w.size(); ++i) {
            std::string o = Lower(w[i]);
            if (o == "/d" && i + 1 < w.size()) description = w[++i];
            else if (o == "/application" && i + 1 < w.size()) application = Lower(w[++i]);
            else throw Failed("The parameter " + w[i] + " is incorrect.");
        }
        if (root_["objects"].isMember(id)) throw Failed("The specified entry already exists.");
        Json::Value object(Json::objectValue);
        if (id == "{ramdiskoptions}") {
            if (!application.empty()) throw Failed("A device options entry has no application type.");
            object["type"] = "device";
        } else if (IsGuid(id)) {
            if (application != "osloader") throw Failed("This stand-in makes OS loader entries only.");
            object["type"] = "osloader";
        } else {
            throw Failed("The identifier " + w[1] + " is not valid.");
        }
        object["elements"] = Json::Value(Json::objectValue);
        if (!description.empty()) object["elements"]["description"] = description;
        root_["objects"][id] = object;
        std::printf("The entry %s was successfully created.\n", id.c_str());
    }

    void Set(const std::vector<std::string>& w) {
        if (w.size() != 4) throw Failed("The /set command needs an identifier, an element and a value.");
        std::string id = Resolve(w[1]);
        std::string element = Lower(w[2]);
        std::string value = w[3];
        Json::Value& elements = root_["objects"][id]["elements"];
        if (kBooleans.count(element)) {
            std::string v = Lower(value);
            if (v == "yes" || v == "on" || v == "true" || v == "1") value = "Yes";
            else if (v == "no" || v == "off" || v == "false" || v == "0") value = "No";
            else throw Failed("The value " + value + " is not valid for " + element + ".");
        } else if (kDevices.count(element)) {
            std::string v = Lower(value);
            if (v.rfind("ramdisk=[", 0) == 0) {
                size_t comma = v.rfind(',');
                if (comma == std::string::npos || !Has(v.substr(comma + 1))) {
                    throw Failed("The ramdisk options " + value + " name no existing entry.");
                }
            } else if (!(v == "boot" || (v.rfind("partition=", 0) == 0 && v.size() == 12 && v[11] == ':'))) {
                throw Failed("The device " + value + " is not valid.");
            }
        } else if (!kTexts.count(element)) {
            throw Failed("The element " + w[2] + " is not known.");
        }
        elements[element] = value;
    }

    void DisplayOrder(const std::vector<std::string>& w) {
        if (w.size() != 3 || Lower(w[2]) != "/addfirst") throw Failed("This stand-in knows /displayorder ID /addfirst.");
        std::string id = Resolve(w[1]);
        Json::Value& manager = root_["objects"]["{bootmgr}"]["elements"];
        Json::Value order(Json::arrayValue);
        order.append(id);
        for (const Json::Value& entry : manager["displayorder"]) {
            if (entry.asString() != id) order.append(entry);
        }
        manager["displayorder"] = order;
    }

    void Timeout(const std::vector<std::string>& w) {
        if (w.size() != 2 || w[1].empty() || w[1].find_first_not_of("0123456789") != std::string::npos) {
            throw Failed("The timeout must be a number of seconds.");
        }
        root_["objects"]["{bootmgr}"]["elements"]["timeout"] = w[1];
    }

    void Default(const std::vector<std::string>& w) {
        if (w.size() != 2) throw Failed("The /default command needs an identifier.");
        std::string id = Resolve(w[1]);
        if (root_["objects"][id]["type"].asString() != "osloader") throw Failed(w[1] + " is no boot loader entry.");
        root_["objects"]["{bootmgr}"]["elements"]["default"] = id;
    }

    void Export(const std::vector<std::string>& w) const {
        if (w.size() != 2) throw Failed("The /export command needs a file name.");
        if (!WriteFile(Wide(w[1]), Render(root_))) throw Failed("The store could not be exported to " + w[1] + ".");
        std::printf("The operation completed successfully.\n");
    }

private:
    Json::Value root_;
};

}  // namespace

int wmain() {
    const std::string arguments = Arguments();
    std::ofstream log(Beside(L"bcdedit.log").c_str(), std::ios::binary | std::ios::app);
    log << arguments << "\n";
    log.close();

    const char* failing = std::getenv("QNB_BCDEDIT_FAIL");
    if (failing && *failing && arguments.rfind(failing, 0) == 0) {
        std::fprintf(stderr, "An error occurred (made to fail by QNB_BCDEDIT_FAIL).\n");
        return 1;
    }
    try {
        const std::wstring path = Beside(L"bcdedit.json");
        std::string bytes;
        if (!ReadFile(path, &bytes)) throw Failed("The boot configuration data store could not be opened.");
        Json::Value root;
        Json::CharReaderBuilder reader;
        std::string errors;
        std::istringstream in(bytes);
        if (!Json::parseFromStream(reader, in, &root, &errors)) throw Failed("The store is damaged: " + errors);
        Store store(root);

        std::vector<std::string> w = Words(arguments);
        std::string command = w.empty() ? "/enum" : Lower(w[0]);
        if (command == "/enum") {
            std::fputs(Render(store.root()).c_str(), stdout);
            return 0;
        }
        if (command == "/export") {
            store.Export(w);
            return 0;
        }
        if (command == "/delete") store.Delete(w);
        else if (command == "/create") store.Create(w);
        else if (command == "/set") store.Set(w);
        else if (command == "/displayorder") store.DisplayOrder(w);
        else if (command == "/timeout") store.Timeout(w);
        else if (command == "/default") store.Default(w);
        else throw Failed("The command " + w[0] + " is not known to this stand-in.");
        if (!WriteFile(path, Render(store.root()))) throw Failed("The store could not be written.");
        return 0;
    } catch (const Failed& failed) {
        std::fprintf(stderr, "An error occurred: %s\n", failed.message.c_str());
        return 1;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "An error occurred: %s\n", e.what());
        return 1;
    }
}
