#!/usr/bin/env python3
"""doc_commands.py SOURCE BUILD: the commands the Markdown files git tracks give, in their code
spans and blocks, name what there is: every `make TARGET` a target of the Makefile, every
scripts/ and tools/ path a file, every build folder path one the normal build (BUILD) made (or
make package, or a target named in the Makefile) or one in a folder of the Makefile's own (the
web, Windows, arm64, release and sanitized outputs), every file name's version the project's,
every option given to rocket or rocket.exe one its --help lists, and every CTest name (and
`ctest -R` pattern) a test of BUILD. Each fault is said with its page and line."""
import fnmatch
import glob
import os
import re
import subprocess
import sys


def code(text):
    """(line number, code) for every code span and every line of a fenced block."""
    fenced = False
    for number, line in enumerate(text.splitlines(), 1):
        if re.match(r"\s*(```|~~~)", line):
            fenced = not fenced
        elif fenced:
            yield number, line
        else:
            for span in re.findall(r"(`+)(.+?)\1", line):
                yield number, span[1]


def makefile(root):
    """The Makefile's targets, and the folders its variables name (build-web, build-asan...)."""
    text = open(os.path.join(root, "Makefile")).read()
    targets = set(re.findall(r"^([a-z][\w-]*):", text, flags=re.M))
    values = dict(re.findall(r"^([A-Z0-9_]+) \?= (\S+)", text, flags=re.M))
    folders = {v for v in values.values() if v.startswith("build")}
    folders |= {values["BUILD"] + suffix for suffix in re.findall(r"\$\(BUILD\)(-\w+)", text)}
    return targets, folders, text


def main():
    root, build = sys.argv[1:3]
    targets, folders, make_text = makefile(root)
    version = re.search(r"project\(rocket VERSION ([\d.]+)",
                        open(os.path.join(root, "CMakeLists.txt")).read()).group(1)
    helped = subprocess.run([os.path.join(build, "rocket"), "--help"], capture_output=True,
                            text=True).stdout
    options = set(re.findall(r"(?<![\w-])(--?[a-z][\w-]*)", helped))
    tests = subprocess.run(["ctest", "-N", "--test-dir", build], capture_output=True,
                           text=True).stdout
    tests = re.findall(r"Test +#\d+: (\S+)", tests)
    pages = subprocess.run(["git", "-C", root, "ls-files", "*.md"], capture_output=True,
                           text=True, check=True).stdout.split()
    faults = []
    for page in pages:
        for number, line in code(open(os.path.join(root, page), encoding="utf-8").read()):
            where = "%s:%d: " % (page, number)
            for target in re.findall(r"(?:^|[\s;&(])make ([a-z][\w-]*)", line):
                if target not in targets:
                    faults.append(where + "make %s: no such target in the Makefile" % target)
            for path in re.findall(r"(?<![\w/.-])((?:scripts|tools)/[\w./*-]*[\w*])", line):
                if not glob.glob(os.path.join(root, path)):
                    faults.append(where + "%s: no such file" % path)
            for path in re.findall(r"(?<![\w/.~$-])(build[\w-]*/[\w./*<>-]*[\w>*])", line):
                folder, _, rest = path.partition("/")
                made = folder == "build" and (glob.glob(os.path.join(build, rest)) or
                                              os.path.basename(rest) in make_text or
                                              rest == "rocket_%s_amd64.deb" % version)  # make package
                if not made and folder not in folders - {"build"}:
                    faults.append(where + "%s: not in the normal build, nor in a folder of the "
                                  "Makefile's" % path)
            for given in re.findall(r"(?<![\w/-])rocket(?:\.exe)?((?: +--?[a-z][\w-]*)+)", line):
                for option in given.split():
                    if option not in options:
                        faults.append(where + "rocket %s: not an option --help lists" % option)
            for pattern in re.findall(r"ctest [^`]*?-[RE] +[\"']?([^\s'\"]+)", line):
                if re.search(r"\$[\w{(]", pattern):
                    continue  # made by the shell, from what the lines before it found
                if not any(re.search(pattern, name) for name in tests):
                    faults.append(where + "ctest -R %s: matches no test" % pattern)
            for named in re.findall(r"rocket[_-](\d+\.\d+\.\d+)", line):
                if named != version:
                    faults.append(where + "version %s, where the project is %s" % (named, version))
            named = re.fullmatch(r"(\w*_e2e\w*|[A-Z]\w*\.[A-Z]\w*\*?)", line.strip())
            if named and not fnmatch.filter(tests, named.group(1)):
                faults.append(where + "%s: no such test" % named.group(1))
    for fault in faults:
        print(fault)
    print("%d Markdown files, %d commands that name nothing" % (len(pages), len(faults)))
    return 1 if faults or not pages or not tests or not options else 0


if __name__ == "__main__":
    sys.exit(main())
