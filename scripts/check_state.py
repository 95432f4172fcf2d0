#!/usr/bin/env python3
"""Checks that src/STATE.md lists every mutable global of the engine.

A mutable global is a variable with static storage that is not const or
constexpr: namespace-scope variables (named or anonymous namespace, static or
not, inline variables in headers), static data members defined outside their
class, and static or thread_local variables inside functions. The scanner
reads the sources under src/ (comments, strings and preprocessor lines
removed) and follows braces to tell namespaces, classes, function bodies and
initialisers apart.

Every global found must have a row in the tables of src/STATE.md, keyed by
its file (relative to src/) and its name (`Function::name` for a variable
inside a function, `Class::name` for a static member), and every row must
name a global that exists.

Usage: scripts/check_state.py [ROOT]        check (exit status 1 on a mismatch)
       scripts/check_state.py --missing     print table rows to paste for the
                                            globals the document lacks
       scripts/check_state.py --list        print every global found
       scripts/check_state.py --self-test   checks the scanner on planted code
"""
import pathlib
import re
import sys
import tempfile

LIFETIMES = ("program", "game", "room", "step")
TOKEN = re.compile(r"[A-Za-z_]\w*|\d[\w.']*|::|->|\.\.\.|[^\s\w]")
STORAGE_WORDS = {"static", "thread_local", "inline", "extern", "constinit", "mutable"}
# Stands for the body of `struct {...} name;` once the body is read.
PLACEHOLDER_TYPE = "__type_body__"
NOT_DECLARATIONS = {"using", "typedef", "static_assert", "friend", "return", "namespace", "template",
                    "class", "struct", "union", "enum", "concept", "operator", "requires"}


def strip_source(text: str) -> str:
    """The text with comments, string and character literals and preprocessor
    lines blanked out (newlines kept, so positions keep their line)."""
    out = []
    i, n = 0, len(text)
    at_line_start = True
    while i < n:
        c = text[i]
        if at_line_start and c == "#":
            # A preprocessor line, with its continuations.
            while i < n and text[i] != "\n":
                if text[i] == "\\" and i + 1 < n and text[i + 1] == "\n":
                    out.append("\n")
                    i += 2
                    continue
                i += 1
            continue
        if c == "/" and text.startswith("//", i):
            while i < n and text[i] != "\n":
                i += 1
            continue
        if c == "/" and text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            out.append("\n" * text.count("\n", i, end) or " ")
            i = end
            continue
        raw = re.match(r'(?:u8|u|U|L)?R"([^(\s]*)\(', text[i:i + 40]) if c in 'uULR' else None
        if raw and (i == 0 or not (text[i - 1].isalnum() or text[i - 1] == "_")):
            close = ")" + raw.group(1) + '"'
            end = text.find(close, i + raw.end())
            end = n if end < 0 else end + len(close)
            out.append('""' + "\n" * text.count("\n", i, end))
            i = end
            continue
        if c in "\"'":
            # A digit separator is not a character literal.
            if c == "'" and i > 0 and text[i - 1].isalnum() and i + 1 < n and text[i + 1].isalnum():
                i += 1
                continue
            j = i + 1
            while j < n and text[j] != c and text[j] != "\n":
                j += 2 if text[j] == "\\" else 1
            out.append(c + c)
            i = j + 1
            continue
        out.append(c)
        at_line_start = c == "\n" or (at_line_start and c in " \t")
        i += 1
    return "".join(out)


def tokens_of(text: str):
    """(token, line) pairs of stripped text, attributes ([[...]]) left out."""
    result = []
    line = 1
    pos = 0
    for match in TOKEN.finditer(text):
        line += text.count("\n", pos, match.start())
        pos = match.start()
        result.append((match.group(0), line))
    kept = []
    k = 0
    while k < len(result):
        if result[k][0] == "[" and k + 1 < len(result) and result[k + 1][0] == "[":
            end = matching(result, k, "[", "]")
            k = end + 1
            continue
        kept.append(result[k])
        k += 1
    return kept


def matching(tokens, start: int, open_tok: str, close_tok: str) -> int:
    """Index of the token closing the bracket at `start`."""
    depth = 0
    for k in range(start, len(tokens)):
        t = tokens[k][0]
        if t == open_tok:
            depth += 1
        elif t == close_tok:
            depth -= 1
            if depth == 0:
                return k
    return len(tokens) - 1


def split_top(toks, sep=","):
    """Splits a token list at separators outside (), [], {} and <>."""
    parts, cur, depth, angle = [], [], 0, 0
    for t in toks:
        if t in "([{":
            depth += 1
        elif t in ")]}":
            depth -= 1
        elif t == "<" and depth == 0:
            angle += 1
        elif t == ">" and depth == 0 and angle > 0:
            angle -= 1
        if t == sep and depth == 0 and angle == 0:
            parts.append(cur)
            cur = []
        else:
            cur.append(t)
    parts.append(cur)
    return parts


def declarator_name(part, constructs=False):
    """The variable a declarator names, with the tokens before its initialiser;
    None when it declares a function."""
    head = []
    depth = 0
    angle = 0
    for k, t in enumerate(part):
        # Before its initialiser a declaration has no comparisons: < and >
        # bracket template arguments, whose parentheses are no parameter list.
        if t == "<":
            angle += 1
        elif t == ">" and angle > 0:
            angle -= 1
        if angle > 0 or t == ">":
            head.append(t)
            continue
        if depth == 0 and t in ("=", "{"):
            break
        if depth == 0 and t == "(":
            # `T (*name)(...)` is a pointer variable; `T name(...)` a function,
            # unless its parentheses hold values: `T name(1, "a")` constructs.
            close = matching_list(part, k)
            inside = part[k + 1:close]
            if inside and inside[0] in ("*", "&"):
                inner = [x for x in inside if re.match(r"[A-Za-z_]\w*$", x)]
                return (inner[-1] if inner else None), head
            if constructs or any(is_value(arg) for arg in split_top(inside)):
                break
            return None, head
        if depth == 0 and t == "[":
            break
        if t in "([{":
            depth += 1
        if t in ")]}":
            depth -= 1
        head.append(t)
    names = [x for x in head if re.match(r"[A-Za-z_]\w*$", x) and x not in STORAGE_WORDS]
    if not names:
        return None, head
    # A qualified definition `T Class::name` keeps its qualifier.
    name = names[-1]
    k = len(head) - 1
    while k >= 0 and head[k] != name:
        k -= 1
    qual = [name]
    while k >= 2 and head[k - 1] == "::" and re.match(r"[A-Za-z_]\w*$", head[k - 2]):
        qual.insert(0, head[k - 2])
        k -= 2
    return "::".join(qual), head


def is_value(arg) -> bool:
    """An argument that no parameter declaration looks like: one that starts
    with a literal or a brace, or a lone true, false or nullptr."""
    if not arg:
        return False
    first = arg[0]
    return (first in ('""', "''", "{") or first[0].isdigit() or
            (len(arg) == 1 and first in ("true", "false", "nullptr")))


def matching_list(part, start):
    depth = 0
    for k in range(start, len(part)):
        if part[k] == "(":
            depth += 1
        elif part[k] == ")":
            depth -= 1
            if depth == 0:
                return k
    return len(part)


def is_constant(head) -> bool:
    """constexpr, or const on the variable itself: `const T x`, `T* const x`;
    `const T* x` is a pointer that may change. Template arguments do not count."""
    angle = 0
    const_since_pointer = False
    for t in head:
        if t == "<":
            angle += 1
        elif t == ">":
            angle = max(0, angle - 1)
        elif angle > 0:
            continue
        elif t in ("constexpr", "constinit"):
            return t == "constexpr"
        elif t == "const":
            const_since_pointer = True
        elif t in ("*", "&", "&&"):
            const_since_pointer = False
    return const_since_pointer


def without_template_header(toks):
    """The tokens after any leading `template <...>`."""
    while len(toks) > 1 and toks[0] == "template" and toks[1] == "<":
        depth = 0
        for k in range(1, len(toks)):
            if toks[k] == "<":
                depth += 1
            elif toks[k] == ">":
                depth -= 1
                if depth == 0:
                    toks = toks[k + 1:]
                    break
        else:
            return []
    return toks


def declared_variables(stmt, in_function: bool):
    """Names of the mutable variables a statement (tokens without its `;`)
    defines. In a function only static and thread_local ones count."""
    toks = [t for t, _ in stmt]
    if not toks:
        return []
    toks = without_template_header(toks)
    if not toks or toks[0] in NOT_DECLARATIONS or toks[0] in ("extern", "case", "default", "goto", "delete"):
        return []
    if "extern" in toks[:3] or "typedef" in toks:
        return []
    if in_function and not ({"static", "thread_local"} & set(toks[:3])):
        return []
    if toks[0] in ("static", "thread_local", "inline") and len(toks) > 1 and toks[1] in ("class", "struct", "enum"):
        return []
    if not re.match(r"[A-Za-z_:]", toks[0]):
        return []
    names = []
    parts = split_top(toks)
    # Inside a function `static T name(args)` can only construct a variable.
    first_name, head = declarator_name(parts[0], constructs=in_function)
    if first_name in (None, PLACEHOLDER_TYPE) or is_constant(head) or "operator" in head:
        return []
    names.append(first_name)
    for part in parts[1:]:
        name, _ = declarator_name(["int"] + part)
        if name:
            names.append(name)
    return names


class Scanner:
    """Walks the tokens of one file and collects its globals."""

    def __init__(self, tokens):
        self.t = tokens
        self.found = []  # (name, line)

    def run(self):
        self.scope(0, len(self.t), "namespace", None)
        return self.found

    def scope(self, start, end, kind, function):
        """Statements between start and end in a namespace, class or function
        body (`function` names the enclosing function)."""
        i = start
        stmt = []
        while i < end:
            tok, line = self.t[i]
            if tok == ";":
                self.statement(stmt, kind, function)
                stmt = []
                i += 1
                continue
            if tok == "{":
                close = matching(self.t, i, "{", "}")
                body_kind, name = self.brace_kind(stmt, kind)
                if body_kind == "initializer":
                    stmt.extend(self.t[i:close + 1])
                    i = close + 1
                    continue
                if body_kind == "function":
                    self.scope(i + 1, close, "function", function or name)
                elif body_kind == "lambda":
                    self.scope(i + 1, close, "function", function)
                    stmt.extend(self.t[i:close + 1])
                    i = close + 1
                    continue
                elif body_kind == "class":
                    self.scope(i + 1, close, "class", function)
                    # `struct {...} name;` declares a variable after the body.
                    stmt = [(PLACEHOLDER_TYPE, line)]
                    i = close + 1
                    continue
                else:
                    self.scope(i + 1, close, "namespace" if body_kind == "namespace" else kind, function)
                stmt = []
                i = close + 1
                continue
            if tok == "}":
                i += 1
                continue
            if tok == ":" and kind == "class" and len(stmt) == 1 and stmt[0][0] in ("public", "private", "protected"):
                stmt = []
                i += 1
                continue
            stmt.append(self.t[i])
            i += 1
        if stmt:
            self.statement(stmt, kind, function)

    def brace_kind(self, stmt, kind):
        toks = without_template_header([t for t, _ in stmt])
        if not toks:
            return ("block" if kind == "function" else "namespace"), None
        if toks[0] == "namespace" or (toks[0] == "extern" and len(toks) == 2):
            return "namespace", None
        last = toks[-1]
        arrow = len(toks) - 1 - toks[::-1].index("->") if "->" in toks else -1
        if ")" in toks and arrow > len(toks) - 1 - toks[::-1].index(")"):
            # `(...) -> Type {`: a trailing return type, a lambda's or a function's.
            if "]" in toks and (toks.index("[") == 0 or toks[toks.index("[") - 1] in ("=", "(", ",", "return")):
                return "lambda", None
            toks = toks[:arrow]
            last = toks[-1]
        if last in ("=", ",", "(", "[", "return", "{", "?", ":") or (
                last not in (")", "const", "noexcept", "override", "final", "mutable", "try", "else", "do")
                and re.match(r"[A-Za-z_]\w*$", last) and kind != "function" and not self.type_head(toks)):
            return "initializer", None
        if kind == "function" and (last in ("=", ",", "(", "return") or
                                   (re.match(r"[A-Za-z_]\w*$", last) and last not in ("else", "do", "try"))):
            return "initializer", None
        if self.type_head(toks):
            return "class", None
        if "]" in toks and "[" in toks and (toks.index("[") == 0 or toks[toks.index("[") - 1] in ("=", "(", ",", "return")):
            return "lambda", None
        if ")" in toks or last in ("const", "noexcept", "override", "final", "mutable", "try"):
            if kind == "function":
                if toks[0] in ("if", "for", "while", "switch", "catch", "else", "do", "try"):
                    return "block", None
                if "]" in toks:
                    return "lambda", None
            name = None
            depth = 0
            for k in range(len(toks) - 1, -1, -1):
                if toks[k] == ")":
                    depth += 1
                elif toks[k] == "(":
                    depth -= 1
                    if depth == 0:
                        if k > 0 and re.match(r"[A-Za-z_~]\w*$", toks[k - 1]):
                            name = toks[k - 1]
                            q = k - 1
                            while q >= 2 and toks[q - 1] == "::":
                                name = toks[q - 2] + "::" + name
                                q -= 2
                        break
            if kind == "function":
                return "block", None
            return "function", name
        return "block", None

    @staticmethod
    def type_head(toks):
        for k, t in enumerate(toks):
            if t in ("class", "struct", "union", "enum"):
                return "=" not in toks[:k] and "(" not in toks[:k]
        return False

    def statement(self, stmt, kind, function):
        if not stmt:
            return
        line = stmt[0][1]
        if kind == "class":
            toks = [t for t, _ in stmt]
            if "static" in toks[:3] and "inline" in toks[:3]:
                for name in declared_variables(stmt, False):
                    self.found.append((name, line))
            return
        for name in declared_variables(stmt, kind == "function"):
            self.found.append((f"{function}::{name}" if kind == "function" and function else name, line))


def scan_text(text: str):
    return Scanner(tokens_of(strip_source(text))).run()


def scan_tree(src: pathlib.Path):
    """{(file relative to src, name): line} for every global under src."""
    found = {}
    for path in sorted(list(src.rglob("*.cpp")) + list(src.rglob("*.h"))):
        rel = path.relative_to(src).as_posix()
        for name, line in scan_text(path.read_text(errors="replace")):
            found.setdefault((rel, name), line)
    return found


ROW = re.compile(r"^\|\s*`([^`]+)`\s*\|\s*`([^`]+)`\s*\|([^|]*)\|([^|]*)\|([^|]*)\|\s*$")


def read_document(doc: pathlib.Path):
    """{(file, name): (owner, lifetime, reset, line)} from the document's tables."""
    rows = {}
    problems = []
    for number, line in enumerate(doc.read_text().splitlines(), 1):
        match = ROW.match(line)
        if not match:
            continue
        file, name, owner, lifetime, reset = (g.strip() for g in match.groups())
        key = (file, name)
        if key in rows:
            problems.append(f"{doc}:{number}: `{file}` `{name}` is listed twice")
        if lifetime not in LIFETIMES:
            problems.append(f"{doc}:{number}: lifetime '{lifetime}' is not one of {', '.join(LIFETIMES)}")
        if not owner or not reset:
            problems.append(f"{doc}:{number}: owner and reset must not be empty")
        rows[key] = (owner, lifetime, reset, number)
    return rows, problems


def check(root: pathlib.Path) -> list:
    src = root / "src"
    doc = src / "STATE.md"
    found = scan_tree(src)
    rows, problems = read_document(doc)
    for key in sorted(set(found) - set(rows)):
        problems.append(f"src/{key[0]}:{found[key]}: global `{key[1]}` is missing from src/STATE.md")
    for key in sorted(set(rows) - set(found)):
        problems.append(f"{doc}:{rows[key][3]}: `{key[0]}` `{key[1]}` names no global of the sources")
    # Reset functions must exist.
    sources = "\n".join(p.read_text(errors="replace") for p in src.rglob("*.cpp"))
    for key, (owner, lifetime, reset, number) in sorted(rows.items()):
        for fn in re.findall(r"`([A-Za-z_][\w:]*)\(\)`", reset):
            simple = fn.split("::")[-1]
            if not re.search(r"\b" + re.escape(simple) + r"\s*\(", sources):
                problems.append(f"{doc}:{number}: reset function {fn}() does not exist")
    return problems


SELF_TEST = r'''
#include "x.h"  // int not_this = 1;
namespace {
int g_Counter = 0;
const int kLimit = 3;
constexpr double kHalf = 0.5;
std::vector<std::pair<int, int>> g_Pairs, g_Other{1, 2};
const char* const kName = "a; int fake = 1;";
const char* g_Pointer = nullptr;
std::function<void(int)> g_Callback;
std::vector<bool> g_Flags(kCount, false);
[[gnu::noinline]] int Attributed(int a) { return a; }
std::vector<std::unique_ptr<int>> g_Pool;
std::map<int, const char*> g_Names = {{1, "x"}};
int Helper(int a);
struct RThing { int field = 0; static int counted; };
template <class T, auto... Fields> void Apply(T& t) { (t.*Fields, ...); }
using Alias = RThing;
auto Trailing(int a) -> int { static int trailing_calls = 0; return a + trailing_calls; }
int g_AfterTrailing = 0;
struct { int a; } g_Anonymous;
void (*g_Hook)(int) = nullptr;
}  // namespace
int RThing::counted = 0;
extern int g_Elsewhere;
inline bool g_Flag = false;
std::string g_Text = R"(int raw = 1;)";
auto g_Lambda = [] { static int inside_lambda = 0; return inside_lambda; };
class CBox {
 public:
  int Get() const { static int calls = 0; return ++calls; }
  inline static int s_Boxes = 0;
  static const int kMax = 3;
};
int CBox_Make(int x) {
  static std::vector<int> cache;
  static const int kFixed = 1;
  static constexpr int kFixed2 = 2;
  thread_local int scratch = 0;
  int local = 0;
  if (x) { static bool once = false; }
  if (a->b) { static int via_arrow = 0; }
  std::vector<int> v{1, 2};
  return local;
}
'''
def self_test() -> int:
    names = {name for name, _ in scan_text(SELF_TEST)}
    expected = {"Trailing::trailing_calls", "g_AfterTrailing", "g_Pointer", "g_Callback", "g_Flags", "g_Pool", "g_Counter", "g_Pairs", "g_Other", "g_Names", "g_Anonymous", "g_Hook", "RThing::counted",
                "g_Flag", "g_Text", "g_Lambda", "Get::calls", "s_Boxes", "CBox_Make::cache",
                "CBox_Make::scratch", "CBox_Make::once", "CBox_Make::via_arrow", "inside_lambda"}
    if names != expected:
        print("check_state self-test failed")
        print("  missed:", sorted(expected - names))
        print("  extra: ", sorted(names - expected))
        return 1
    # The document against a planted tree: a global it lacks, a row that
    # names nothing, a reset that does not exist, a lifetime that is none.
    with tempfile.TemporaryDirectory() as scratch:
        root = pathlib.Path(scratch)
        (root / "src" / "m").mkdir(parents=True)
        (root / "src" / "m" / "Mod.cpp").write_text(
            "int g_Listed = 0;\nint g_Unlisted = 0;\nvoid Mod_Reset() { g_Listed = 0; }\n")
        (root / "src" / "STATE.md").write_text(
            "| `m/Mod.cpp` | `g_Listed` | Mod | game | `Mod_Reset()` |\n"
            "| `m/Mod.cpp` | `g_Gone` | Mod | forever | `Mod_Vanished()` |\n")
        problems = "\n".join(check(root))
        for needle in ("`g_Unlisted` is missing", "`g_Gone` names no global", "Mod_Vanished() does not exist",
                       "lifetime 'forever'"):
            if needle not in problems:
                print(f"check_state self-test failed: no problem says {needle!r}:\n{problems}")
                return 1
        if "g_Listed" in problems:
            print(f"check_state self-test failed: a listed global is reported:\n{problems}")
            return 1
    print("check_state self-test passed")
    return 0


def main(argv) -> int:
    args = [a for a in argv[1:] if not a.startswith("--")]
    root = pathlib.Path(args[0]) if args else pathlib.Path(__file__).resolve().parent.parent
    if "--self-test" in argv:
        return self_test()
    if "--list" in argv:
        for (file, name), line in sorted(scan_tree(root / "src").items()):
            print(f"{file}:{line}: {name}")
        return 0
    if "--missing" in argv:
        rows, _ = read_document(root / "src" / "STATE.md")
        for key in sorted(set(scan_tree(root / "src")) - set(rows)):
            print(f"| `{key[0]}` | `{key[1]}` | OWNER | LIFETIME | RESET |")
        return 0
    problems = check(root)
    for p in problems:
        print(p)
    if problems:
        print(f"{len(problems)} problem(s): see the header of src/STATE.md for how to list a global")
        return 1
    print("src/STATE.md lists every mutable global")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
