#!/usr/bin/env python3
"""Writes the manual page and the bash completion of tovin-catalog from its own help texts.

    help-docs.py PROGRAM VERSION --man OUT.1 --completion OUT

PROGRAM is the built executable: its "--help" and "COMMAND --help" texts are the only source
of the commands, their options and their descriptions, so the manual and the completion say
what the program says. Exits with status 2, writing nothing, when a help text cannot be read.
"""
import os
import re
import subprocess
import sys

# What no help text says: where the program keeps its files and which variables it reads.
FILES = [
    ("~/.config/tovin-catalog/tovin-catalog.conf",
     "The settings file: the window's and screens' settings, the catalogue used last and "
     "sections such as Backups and Catalogue. --settings FILE (before or after the command) "
     "or TOVIN_SETTINGS_FILE names another one."),
    ("~/.local/share/tovin-catalog/",
     "The user's program folder. The installed program folder is never written: at each start "
     "the files it holds are copied here when missing (the demo catalogue tovin2003-a.mde, help "
     "pages, tips, pictures, report files and supplier files). After an upgrade a file the user "
     "has not changed is brought up to date; one the user changed is kept, the new version is "
     "put beside it as NAME.new, and this is said once."),
    ("/usr/share/tovin-catalog/",
     "The installed program folder, read only."),
]
ENVIRONMENT = [
    ("TOVIN_SETTINGS_FILE", "The settings file to use instead of the default one; "
     "--settings wins over it."),
    ("XDG_CONFIG_HOME, XDG_DATA_HOME",
     "Where the settings file and the user's program folder are, instead of ~/.config and "
     "~/.local/share."),
    ("DBUS_SESSION_BUS_ADDRESS",
     "With a session bus, commands take a server catalogue's password from the desktop's "
     "keyring, as the window does."),
]


def run_help(program, *arguments):
    environment = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    result = subprocess.run([program, *arguments, "--help"], capture_output=True, text=True,
                            env=environment, check=False)
    if result.returncode != 0 or not result.stdout.strip():
        sys.stderr.write(f"help-docs.py: \"{program} {' '.join(arguments)} --help\" failed\n")
        sys.exit(2)
    return result.stdout


def commands_of(program_help):
    """The command names and summaries listed under "Commands:"."""
    commands = []
    listing = program_help.split("\nCommands:\n", 1)
    if len(listing) != 2:
        sys.stderr.write("help-docs.py: the program's help lists no commands\n")
        sys.exit(2)
    for line in listing[1].splitlines():
        match = re.match(r"^  (\S+)\s+(.*)$", line)
        if match:
            commands.append((match.group(1), match.group(2).strip()))
        elif line.strip():
            break
    return commands


def split_usage(text):
    """The usage lines (the first line and the indented ones after it) and the rest."""
    lines = text.rstrip("\n").splitlines()
    usage = [lines[0]]
    rest = lines[1:]
    while rest and rest[0].startswith(" ") and rest[0].strip():
        usage.append(rest.pop(0))
    return usage, rest


def roff(text):
    text = text.replace("\\", "\\e").replace("-", "\\-")
    return "\\&" + text if text.startswith((".", "'")) else text


def option_item(line):
    """An option line "  --name ARG   what it does": the term and the text, or None."""
    match = re.match(r"^ {1,4}(-{1,2}[A-Za-z][^ ]*(?: [^ ]+)*?)(?: {2,}(.*))?$", line)
    if not match:
        return None
    return match.group(1), (match.group(2) or "")


def body_roff(lines):
    """The help text after the usage: paragraphs, option lists and preformatted blocks."""
    out = []
    mode = None  # "text", "item" or "pre"
    for line in lines:
        if not line.strip():
            if mode == "pre":
                out.append(".fi")
                out.append(".RE")
            mode = None
            continue
        item = option_item(line)
        if item:
            if mode == "pre":
                out += [".fi", ".RE"]
            out += [".TP", "\\fB" + roff(item[0]) + "\\fR"]
            if item[1]:
                out.append(roff(item[1]))
            mode = "item"
        elif mode == "item" and line.startswith("      "):
            out.append(roff(line.strip()))
        elif line.startswith(" "):
            if mode != "pre":
                out += [".RS 4", ".nf"] if mode is None else [".PP", ".RS 4", ".nf"]
                mode = "pre"
            out.append(roff(line[2:] if line.startswith("  ") else line))
        else:
            if mode == "pre":
                out += [".fi", ".RE"]
            if mode != "text":
                out.append(".PP")
            out.append(roff(line))
            mode = "text"
    if mode == "pre":
        out += [".fi", ".RE"]
    return out


def manual(version, program_help, command_helps):
    usage, rest = split_usage(program_help)
    out = [f'.TH TOVIN-CATALOG 1 "" "tovin-catalog {version}" "User Commands"',
           ".SH NAME", "tovin-catalog \\- product catalogue, stock, orders and sales for a small shop",
           ".SH SYNOPSIS", ".nf"]
    out += [roff(re.sub(r"^(Usage:)?\s*", "", line)) for line in usage]
    for _, text in command_helps:
        out.append(roff(re.sub(r"^Usage:\s*", "", split_usage(text)[0][0])))
    out += [".fi", ".SH DESCRIPTION"]
    # The program's help up to its list of commands, which the sections below replace.
    general = "\n".join(rest).split("\nCommands:\n", 1)[0].splitlines()
    out += body_roff(general)
    out.append(".SH COMMANDS")
    for name, text in command_helps:
        command_usage, command_rest = split_usage(text)
        out += [".SS " + roff(name), ".nf"]
        out += [roff(re.sub(r"^Usage: ", "", line)) for line in command_usage]
        out.append(".fi")
        out += body_roff(command_rest)
    out += [".SH EXIT STATUS",
            "0 when the command did its work; 2 when it failed or refused, after printing its "
            "reason on standard error (nothing half done is left behind).",
            ".SH FILES"]
    for term, text in FILES:
        out += [".TP", "\\fI" + roff(term) + "\\fR", roff(text)]
    out.append(".SH ENVIRONMENT")
    for term, text in ENVIRONMENT:
        out += [".TP", "\\fB" + roff(term) + "\\fR", roff(text)]
    return "\n".join(out) + "\n"


def option_values(text):
    """Each option of a help text and what follows it: a list of choices, a file or nothing."""
    options = {}
    usage, rest = split_usage(text)
    for token in re.finditer(r"(--[a-z][a-z-]*)(?: ([^\s\[\]]+))?", "\n".join(usage + rest)):
        name, value = token.group(1), token.group(2) or ""
        if name in options and options[name]:
            continue
        if re.fullmatch(r"[a-z0-9.-]+(\|[A-Za-z0-9.:-]+)+", value):
            # The words to choose from; placeholders such as TEXT or lines:N are typed.
            options[name] = " ".join(v for v in value.split("|") if re.fullmatch(r"[a-z0-9.-]+", v))
        elif re.fullmatch(r"[A-Z][A-Z0-9_.,=-]*", value):
            options[name] = "@file"
        else:
            options.setdefault(name, "")
    return options


def completion(program_help, command_helps):
    general = option_values(program_help)
    general.pop("--help", None)
    names = " ".join(name for name, _ in command_helps)
    lines = ["# bash completion for tovin-catalog, made from its help texts",
             "_tovin_catalog()", "{",
             "    local cur prev command i",
             "    cur=${COMP_WORDS[COMP_CWORD]}",
             "    prev=${COMP_WORDS[COMP_CWORD-1]}",
             "    command=",
             "    for ((i = 1; i < COMP_CWORD; i++)); do",
             "        case ${COMP_WORDS[i]} in",
             "            --app-folder|--settings) ((i++)) ;;",
             "            -*) ;;",
             "            *) command=${COMP_WORDS[i]}; break ;;",
             "        esac",
             "    done",
             "    local options values",
             "    case $command in"]
    for name, text in [("", program_help)] + command_helps:
        options = general if not name else option_values(text)
        if name:
            options = dict(options, **{k: v for k, v in general.items() if k == "--settings"})
        label = name if name else '""'
        lines.append(f"        {label})")
        lines.append(f"            options=\"{' '.join(sorted(options))} --help\"")
        lines.append("            case $prev in")
        for option, value in sorted(options.items()):
            if value == "@file":
                lines.append(f"                {option}) compopt -o filenames 2>/dev/null; "
                             "COMPREPLY=($(compgen -f -- \"$cur\")); return ;;")
            elif value:
                lines.append(f"                {option}) COMPREPLY=($(compgen -W \"{value}\" "
                             "-- \"$cur\")); return ;;")
        lines.append("            esac")
        if not name:
            lines.append(f"            options=\"$options --version {names}\"")
        lines.append("            ;;")
    lines += ["    esac",
              "    if [[ $cur == -* || -z $command ]]; then",
              "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))",
              "    else",
              "        compopt -o filenames 2>/dev/null",
              "        COMPREPLY=($(compgen -f -- \"$cur\"))",
              "    fi",
              "}",
              "complete -F _tovin_catalog tovin-catalog",
              ""]
    return "\n".join(lines)


def main():
    arguments = sys.argv[1:]
    if len(arguments) != 6 or arguments[2] != "--man" or arguments[4] != "--completion":
        sys.stderr.write(__doc__)
        sys.exit(2)
    program, version, man_file, completion_file = arguments[0], arguments[1], arguments[3], \
        arguments[5]
    program_help = run_help(program)
    command_helps = [(name, run_help(program, name)) for name, _ in commands_of(program_help)]
    for path, text in ((man_file, manual(version, program_help, command_helps)),
                       (completion_file, completion(program_help, command_helps))):
        with open(path + ".part", "w", encoding="utf-8") as output:
            output.write(text)
        os.replace(path + ".part", path)


if __name__ == "__main__":
    main()
