#!/usr/bin/python3
"""What a player's machine sees of the players' DLL, read with pefile from its
headers, load configuration, sections, debug directory, imports, exports and
version resource, and from its code as llvm-objdump disassembles it: the
hardening Microsoft asks of a shipped 64-bit DLL (nine of its BinSkim checker's
rules, named as BinSkim names them; BinSkim reads /GS and /guard:cf from the
compiler's record in the PDB, which clang-cl leaves empty, so these look at the
code the compiler made instead), and the project's own: a matching PDB, the
imports and exports the host expects, the version, the size. Every rule must
hold; each failure names its rule and what the DLL has.

Usage: check_pe.py DLL PDB VERSION HOST_LIBRARY HOST_EXPORTS_DEF ALLOWED_IMPORTS OBJDUMP PDBUTIL
"""
import collections
import functools
import os
import re
import subprocess
import sys

import pefile

# The most bytes the players' DLL may take, so that an unmeant dependency (a C
# runtime formatter, a static initialiser's machinery) shows as it comes in.
# The file grows in 512-byte steps of its sections; this leaves two steps above
# what the DLL needs: room for about three new rows each with a small action
# of its own (three such rows, stepping a slot's drawable, texture or the slot
# itself backwards, took 160 to 400 bytes of code and 32 of read-only data
# each, and filled both steps), fewer with a larger action. A change that needs
# more raises it here.
SIZE_BUDGET = 13824
BUILT_COOKIE = 0x00002B992DDFA232  # what /GS images hold until the loader sets it

DYNAMIC_BASE, HIGH_ENTROPY_VA, NX_COMPAT, GUARD_CF = 0x40, 0x20, 0x100, 0x4000
GUARD_CF_INSTRUMENTED, GUARD_CF_FUNCTION_TABLE_PRESENT = 0x100, 0x400
DEBUG_TYPE_CODEVIEW, DEBUG_TYPE_EX_DLLCHARACTERISTICS = 2, 20
EX_CET_COMPAT = 0x1
SECTION_SHARED, SECTION_EXECUTE, SECTION_WRITE = 0x10000000, 0x20000000, 0x80000000

Given = collections.namedtuple("Given", "dll pdb version host host_exports allowed objdump pdbutil")
# An instruction as llvm-objdump writes it ("callq\t*%r14"), at its address,
# and the address of the next.
Instruction = collections.namedtuple("Instruction", "address text following")


def characteristics(pe):
    return pe.OPTIONAL_HEADER.DllCharacteristics


def debug_entries(pe, kind):
    return [d for d in getattr(pe, "DIRECTORY_ENTRY_DEBUG", []) if d.struct.Type == kind]


def load_config(pe):
    config = getattr(pe, "DIRECTORY_ENTRY_LOAD_CONFIG", None)
    return config.struct if config else None


def read_u64(pe, va):
    return pe.get_qword_at_rva(va - pe.OPTIONAL_HEADER.ImageBase)


@functools.lru_cache(maxsize=None)
def pdb_addresses(pe, given):
    """Where each function and public symbol the PDB names sits: the names
    of the DLL's own functions and of the stack cookie's check."""
    dump = subprocess.run([given.pdbutil, "dump", "--publics", "--symbols", given.pdb],
                          capture_output=True, text=True, check=False).stdout
    base = pe.OPTIONAL_HEADER.ImageBase
    return {name.replace("`anonymous namespace'::", ""): base + pe.sections[int(section) - 1]
            .VirtualAddress + int(offset) for name, section, offset in re.findall(
                r"S_(?:PUB32|[GL]PROC32) \[[^]]*\] `(.*)`\n.*addr = (\d+):(\d+)", dump)}


@functools.lru_cache(maxsize=None)
def disassemble(given):
    """The DLL's code, each instruction as llvm-objdump reads it."""
    listing = subprocess.run([given.objdump, "-d", given.dll],
                             capture_output=True, text=True, check=True).stdout
    return [Instruction(int(address, 16), text.split("#")[0].strip(),
                        int(address, 16) + len(raw.split()))
            for address, raw, text in re.findall(
                r"^ *([0-9a-f]+):\s+((?:[0-9a-f]{2} )+)\s*(\S.*)$", listing, re.M)]


@functools.lru_cache(maxsize=None)
def functions(pe, given):
    """Each function with a frame, by its name in the PDB, and its code: the
    x64 ABI gives every function that moves the stack pointer an entry in the
    unwind table, so a function without one has no frame."""
    base, code = pe.OPTIONAL_HEADER.ImageBase, disassemble(given)
    names = {address: name for name, address in pdb_addresses(pe, given).items()}
    bounds = [(base + f.struct.BeginAddress, base + f.struct.EndAddress)
              for f in getattr(pe, "DIRECTORY_ENTRY_EXCEPTION", [])]
    return [(names.get(begin, "0x%x" % begin), [i for i in code if begin <= i.address < end])
            for begin, end in bounds]


def memory_slot(instruction):
    """The address a rip-relative operand reads, or None."""
    found = re.search(r"(-?\d+)\(%rip\)", instruction.text)
    return instruction.following + int(found.group(1)) if found else None


def addresses_frame(body):
    """Whether a function takes its frame's address or indexes it, the only
    ways a write can run past a buffer on its frame: the compiler's fixed
    offsets from rsp cannot."""
    return any(re.match(r"lea\S*\s+-?\d*\(%rsp\b|mov\S*\s+%rsp, ", i.text) or "(%rsp," in i.text
               for i in body)


def returns(body):
    """Whether a function ever uses its return address: by ret, or by a jump
    out of it (a tail call). One that loops for ever does not."""
    inside = {"0x%x" % i.address for i in body}
    return any(i.text.startswith("ret")
               or i.text.startswith("jmp") and i.text.split()[1] not in inside for i in body)


def unchecked_frames(pe, given, check):
    """The functions that address their frame and return, and those of them
    that never call the cookie's check: an overrun of their frame would
    reach the return address unnoticed."""
    call = re.compile(r"call\S*\s+0x%x\b" % check)
    framed = [(name, body) for name, body in functions(pe, given)
              if addresses_frame(body) and returns(body)]
    return len(framed), [name for name, body in framed if not any(call.match(i.text) for i in body)]


def holds_import(body, at, operand, imports):
    """Whether a call through a register calls an import: one of r12 to r15,
    which no instruction sets unnamed and a call keeps, loaded from an
    import's slot before the call and set no other way in the function (its
    prologue's push and epilogues' pops keep the caller's value, the only
    pushes and pops the x64 ABI allows)."""
    register = re.fullmatch(r"%(r1[2-5])", operand)
    writes = register and [i for i in body if re.search(r"%%%s[dwb]?$" % register[1], i.text)
                           and not re.match(r"push|pop|call|jmp", i.text)]
    return bool(writes) and writes[0].address < body[at].address and all(
        i.text.startswith("mov") and memory_slot(i) in imports for i in writes)


def jumps_by_table(body, at, code):
    """Whether a jump is a switch's: to its table's address plus the table's
    entry at the index, the table in the code, which nothing writes (nor
    does Control Flow Guard check such jumps)."""
    shape = "\n".join(i.text for i in body[at - 3:at + 1]) if at >= 3 else ""
    return bool(re.fullmatch(r"leaq\s+-?\d+\(%rip\), %(\w+)\nmovslq\s+\(%\1,%\w+,4\), %(\w+)\n"
                             r"addq\s+%\1, %\2\njmpq\s+\*%\2", shape)) and \
        code[0].address <= memory_slot(body[at - 3]) < code[-1].following


def unguarded_calls(pe, given, config):
    """How many calls go through the guard's dispatch pointer, and every other
    call or jump to an address held in a register or memory but those
    through an import's slot, which the loader fills and makes read-only.
    The dispatch function itself jumps to the target it was given."""
    iat = pe.OPTIONAL_HEADER.DATA_DIRECTORY[pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_IAT"]]
    start = pe.OPTIONAL_HEADER.ImageBase + iat.VirtualAddress
    imports, dispatch = range(start, start + iat.Size), config.GuardCFDispatchFunctionPointer
    dispatcher = read_u64(pe, dispatch) if dispatch else None
    code, guarded, found = disassemble(given), 0, []
    for call in code:
        target, slot = re.match(r"(?:call|jmp)\S*\s+\*(.*)", call.text), memory_slot(call)
        guarded += bool(target) and slot == dispatch
        if not target or call.address == dispatcher or slot == dispatch or slot in imports:
            continue
        name, body = next(((name, body) for name, body in functions(pe, given) if call in body),
                          ("code without a frame", [call]))
        at = body.index(call)
        if not (holds_import(body, at, target[1], imports) or jumps_by_table(body, at, code)):
            found.append("%s at 0x%x: %s" % (name, call.address, call.text.replace("\t", " ")))
    return guarded, found


def rule_base_above_4gb(pe, _):
    base = pe.OPTIONAL_HEADER.ImageBase
    return base > 0xFFFFFFFF, "preferred base 0x%x" % base


def rule_aslr(pe, _):
    relocatable = not pe.FILE_HEADER.Characteristics & pefile.IMAGE_CHARACTERISTICS[
        "IMAGE_FILE_RELOCS_STRIPPED"]
    dynamic = bool(characteristics(pe) & DYNAMIC_BASE)
    return dynamic and relocatable, "DYNAMIC_BASE %s, relocations %s" % (
        "set" if dynamic else "not set", "kept" if relocatable else "stripped")


def rule_high_entropy(pe, _):
    held = bool(characteristics(pe) & HIGH_ENTROPY_VA)
    return held, "HIGH_ENTROPY_VA " + ("set" if held else "not set")


def rule_nx(pe, _):
    held = bool(characteristics(pe) & NX_COMPAT)
    return held, "NX_COMPAT " + ("set" if held else "not set")


def rule_no_shared_writable(pe, _):
    bad = [s.Name.rstrip(b"\0").decode() for s in pe.sections
           if s.Characteristics & SECTION_SHARED and s.Characteristics & SECTION_WRITE]
    return not bad, "shared writable sections: " + (", ".join(bad) or "none")


def rule_no_writable_code(pe, _):
    bad = [s.Name.rstrip(b"\0").decode() for s in pe.sections
           if s.Characteristics & SECTION_EXECUTE and s.Characteristics & SECTION_WRITE]
    return not bad, "writable and executable sections: " + (", ".join(bad) or "none")


def rule_control_flow_guard(pe, given):
    config = load_config(pe)
    if not config:
        return False, "no load configuration"
    flags = getattr(config, "GuardFlags", 0)
    count = getattr(config, "GuardCFFunctionCount", 0)
    marked = bool(characteristics(pe) & GUARD_CF)
    wanted = GUARD_CF_INSTRUMENTED | GUARD_CF_FUNCTION_TABLE_PRESENT
    guarded, unguarded = unguarded_calls(pe, given, config)
    held = (marked and flags & wanted == wanted and count > 0 and not unguarded
            and getattr(config, "GuardCFCheckFunctionPointer", 0)
            and getattr(config, "GuardCFDispatchFunctionPointer", 0))
    return bool(held), "GUARD_CF %s, guard flags 0x%x, %d call targets, check pointer 0x%x, " \
        "dispatch pointer 0x%x; %d calls through it, unguarded: %s" % (
            "set" if marked else "not set", flags, count,
            getattr(config, "GuardCFCheckFunctionPointer", 0),
            getattr(config, "GuardCFDispatchFunctionPointer", 0), guarded,
            "; ".join(unguarded) or "none")


def rule_stack_cookie(pe, given):
    config = load_config(pe)
    address = getattr(config, "SecurityCookie", 0) if config else 0
    if not address:
        return False, "no stack cookie in a load configuration"
    value = read_u64(pe, address)
    check = pdb_addresses(pe, given).get("__security_check_cookie")
    framed, unchecked = unchecked_frames(pe, given, check) if check else (0, [])
    held = value == BUILT_COOKIE and check and not unchecked
    return bool(held), "stack cookie at 0x%x holding 0x%x, %s; %s" % (
        address, value, "the value the loader replaces" if value == BUILT_COOKIE
        else "which the loader leaves as it is (it replaces only 0x%x)" % BUILT_COOKIE,
        "the PDB names no __security_check_cookie" if not check else
        "%d functions address their frame and return; never calling __security_check_cookie: %s"
        % (framed, ", ".join(unchecked) or "none"))


def rule_cet(pe, _):
    entries = debug_entries(pe, DEBUG_TYPE_EX_DLLCHARACTERISTICS)
    flags = 0
    for entry in entries:
        start = entry.struct.PointerToRawData
        flags |= int.from_bytes(pe.__data__[start:start + 4], "little")
    return bool(flags & EX_CET_COMPAT), "extended DLL characteristics 0x%x" % flags


def rule_pdb(pe, given):
    pdb = given.pdb
    entries = debug_entries(pe, DEBUG_TYPE_CODEVIEW)
    if not entries or not hasattr(entries[0].entry, "PdbFileName"):
        return False, "no CodeView debug entry"
    named = entries[0].entry.PdbFileName.rstrip(b"\0").decode(errors="replace")
    if named != os.path.basename(pdb):
        return False, "the DLL names its PDB '%s', a path of the build machine" % named
    if not os.path.exists(pdb):
        return False, "the DLL names %s, which was not written beside it" % named
    start = entries[0].struct.PointerToRawData
    guid = pe.__data__[start + 4:start + 20]  # after "RSDS", as the PDB's info stream holds it
    with open(pdb, "rb") as file:
        matches = guid in file.read()
    return matches, "names %s, %s" % (named, "whose GUID matches" if matches else
                                       "which is of another build (its GUID differs)")


def rule_imports(pe, given):
    """The host's functions by the names the stand-in host exports, and of
    Windows' own exactly the list: a C runtime, or a call virus scanners look
    for, comes in only through it. Libraries are named as Windows compares
    them, without regard to case."""
    has = {(library.dll.decode().lower(), f.name.decode() if f.name else "#%d" % f.ordinal)
           for library in getattr(pe, "DIRECTORY_ENTRY_IMPORT", []) for f in library.imports}
    with open(given.host_exports) as exports:
        wanted = {(given.host.lower(), name)
                  for name in re.findall(r'^"(.*)" = ', exports.read(), re.M)}
    with open(given.allowed) as allowed:
        wanted |= {(library.lower(), function) for library, function in
                   (line.split() for line in allowed if line.strip() and line[0] != "#")}
    counts = collections.Counter(library for library, _ in has)
    said = ", ".join("%d from %s" % (n, library) for library, n in sorted(counts.items()))
    lists = "%s or %s" % (os.path.basename(given.host_exports), os.path.basename(given.allowed))
    if has == wanted:
        return True, "%s, each in %s" % (said, lists)
    return False, "%s; not in %s: %s; listed but not imported: %s" % (
        said, lists, ", ".join(" ".join(pair) for pair in sorted(has - wanted)) or "none",
        ", ".join(" ".join(pair) for pair in sorted(wanted - has)) or "none")


def rule_no_exports(pe, _):
    names = [e.name.decode() if e.name else "#%d" % e.ordinal
             for e in getattr(getattr(pe, "DIRECTORY_ENTRY_EXPORT", None), "symbols", [])]
    return not names, "exports: " + (", ".join(names) or "none")


def rule_version(pe, given):
    strings = {}
    for info in getattr(pe, "FileInfo", []):
        for entry in info:
            for table in getattr(entry, "StringTable", []):
                strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    fixed = pe.VS_FIXEDFILEINFO[0] if hasattr(pe, "VS_FIXEDFILEINFO") else None
    for field in ("FileVersion", "ProductVersion"):
        if fixed:
            high, low = getattr(fixed, field + "MS"), getattr(fixed, field + "LS")
            strings[field + " (numbers)"] = "%d.%d.%d.%d" % (high >> 16, high & 0xFFFF,
                                                             low >> 16, low & 0xFFFF)
    wanted = {"ProductName": "Drapelle", "OriginalFilename": os.path.basename(given.dll),
              "FileVersion": given.version, "ProductVersion": given.version,
              "FileVersion (numbers)": given.version + ".0",
              "ProductVersion (numbers)": given.version + ".0"}
    wrong = ["%s %s, not %s" % (field, strings.get(field, "missing"), value)
             for field, value in wanted.items() if strings.get(field) != value]
    return not wrong, "; ".join(wrong) or "Drapelle %s, %s" % (given.version,
                                                                 wanted["OriginalFilename"])


def rule_size(pe, _):
    size = len(pe.__data__)
    if size <= SIZE_BUDGET:
        return True, "%d bytes, within the budget of %d" % (size, SIZE_BUDGET)
    return False, ("%d bytes, over the budget of %d: make the change smaller, or raise "
                   "SIZE_BUDGET in windows/tests/check_pe.py" % (size, SIZE_BUDGET))


RULES = [
    ("BA2001", "a preferred base above 4 GB", rule_base_above_4gb),
    ("BA2008", "Control Flow Guard: its table and pointers, every indirect call through it "
     "(or an import's slot, or a switch's table)", rule_control_flow_guard),
    ("BA2009", "address space layout randomisation", rule_aslr),
    ("BA2011", "stack protection: its cookie in the load configuration, checked by every "
     "function that addresses its frame and returns", rule_stack_cookie),
    ("BA2015", "high-entropy 64-bit addresses", rule_high_entropy),
    ("BA2016", "no execution of data (NX)", rule_nx),
    ("BA2019", "no shared writable section", rule_no_shared_writable),
    ("BA2021", "no section both writable and executable", rule_no_writable_code),
    ("BA2025", "compatible with CET shadow stacks", rule_cet),
    ("PDB", "a PDB beside the DLL, named without a build path", rule_pdb),
    ("IMPORTS", "the host's functions and Windows' listed ones", rule_imports),
    ("EXPORTS", "no name exported: DllMain registers the plug-in", rule_no_exports),
    ("VERSION", "a version resource naming Drapelle and its version", rule_version),
    ("SIZE", "the players' DLL's size", rule_size),
]


def main():
    if len(sys.argv) != 9:
        sys.exit(__doc__.strip().splitlines()[-1])
    given = Given(*sys.argv[1:])
    pe = pefile.PE(given.dll)
    failures = 0
    for rule, asks, check in RULES:
        held, has = check(pe, given)
        print("%-7s %s: %s (%s)" % (rule, asks, "holds" if held else "FAILS", has))
        failures += not held
    print("%s: %d rule(s) failed" % (os.path.basename(given.dll), failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
