// Registry scripts: the text in which the server describes the keys it
// registers.
//
//   HKCR
//   {
//       NoRemove CLSID
//       {
//           ForceRemove {guid} = s 'Name'
//           {
//               InprocServer32 = s '%MODULE%'
//               {
//                   val ThreadingModel = s 'Apartment'
//               }
//           }
//       }
//   }
//
// Words are separated by white space; a name or text in single quotes may hold
// blanks, and two quotes in a row stand for one.  A key may carry a default
// value ("= s 'text'" or "= d 123") and a body of subkeys and named values
// ("val Name = s 'text'").  %NAME% in key names and values is replaced from the
// caller's variables; %% is a literal percent sign.
#pragma once
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace fexo::com {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine, Users, CurrentConfig };

enum class KeyMarker {
    None,
    NoRemove,     // kept at unregistration; the keys named under it are still processed
    ForceRemove,  // deleted with everything under it before it is written
    Delete,       // deleted at registration, never written
};

struct ScriptValue {
    enum class Type { String, Dword };

    std::string name;  // empty for the key's default value
    Type type = Type::String;
    std::string text;
    std::uint32_t number = 0;
};

struct ScriptKey {
    std::string name;
    KeyMarker marker = KeyMarker::None;
    std::vector<ScriptValue> values;  // the default value, when given, comes first
    std::vector<ScriptKey> subkeys;
};

struct ScriptRootKey {
    RegistryRoot root;
    std::vector<ScriptKey> keys;
};

struct RegistryScript {
    std::vector<ScriptRootKey> roots;
};

// Variable names match exactly ("MODULE" for %MODULE%).
using ScriptVariables = std::map<std::string, std::string, std::less<>>;

struct ScriptParseResult {
    RegistryScript script;
    std::string error;  // "line N: what is wrong"; empty when the script is well formed

    bool ok() const { return error.empty(); }
};

// Keys nested deeper than this are refused (a registry path has a depth
// limit of its own, and the parser recurses per level).
constexpr int kMaxScriptKeyDepth = 64;

ScriptParseResult ParseRegistryScript(std::string_view text, const ScriptVariables& variables);

}  // namespace fexo::com
