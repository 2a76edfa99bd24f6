"""Mutation sampler: plants one small fault at a time in the product sources and asks whether the
test suites notice. Run through scripts/mutants, which sets up Wine and the display first.

The faults are the ones a slip of the keyboard makes: a relation or equality flipped, && and ||
swapped, + and - swapped, the literals 0 and 1 swapped, TRUE and FALSE swapped, a call statement
deleted. Each mutant is applied to a scratch copy of the tree, which is rebuilt incrementally and
tested with the suites that cover its module; then the file is put back.
"""
import argparse
import functools
import json
import os
import random
import re
import shutil
import shlex
import signal
import subprocess
import sys
import time

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), '..', '..'))

# Module -> (build preset, suites that cover it, fastest first). The GUI suite drives setup.exe
# from outside, so it covers everything the program links.
MODULES = {
    'foundation': ('host', ['foundation_tests', 'walk_tests', 'efile_tests', 'message_tests', 'msgfile_tests']),
    'walk': ('host', ['walk_tests', 'efile_tests']),
    'efile': ('host', ['efile_tests', 'message_tests', 'msgfile_tests']),
    'message': ('host', ['message_tests', 'message_plain_tests', 'msgfile_tests']),
    'winutils': ('win64', ['winutils_tests', 'copyflst_tests', 'installer_tests', 'gui_tests']),
    'copyflst': ('win64', ['copyflst_tests', 'installer_tests', 'gui_tests']),
    'installer': ('win64', ['installer_tests', 'gui_tests']),
}
SOURCE_ENDINGS = ('.cpp', '.h')
SKIPPED_FOLDERS = {'tests', 'fuzz'}
COPIED_SKIP = {'build', '.git'}

# The debug conventions are switched off in the program (flag word 0), so deleting one of them is
# not a fault any caller could see; they are not offered for deletion. EBUG_RETURN is a return
# statement, not a call.
UNDELETABLE_CALLS = {'ENTER', 'LEAVE', 'EBUG_RETURN', 'EBUG_MESSAGE', 'EBUG_ASSERT', 'EBUG_RETAIL', 'EBUG_RETAIL_LINE'}
KEYWORDS = {'return', 'if', 'while', 'for', 'switch', 'sizeof', 'delete', 'new', 'case', 'else', 'do',
            'goto', 'static_assert', 'throw', 'using', 'typedef', 'decltype', 'alignof', 'co_return'}

SWAPS = [
    ('relation', re.compile(r'(?<=\s)(<=|>=|<|>)(?=\s)'), {'<': '<=', '<=': '<', '>': '>=', '>=': '>'}),
    ('equality', re.compile(r'(?<=\s)(==|!=)(?=\s)'), {'==': '!=', '!=': '=='}),
    ('logic', re.compile(r'(?<=\s)(&&|\|\|)(?=\s)'), {'&&': '||', '||': '&&'}),
    ('arithmetic', re.compile(r'(?<=\s)(\+|-)(?=\s)'), {'+': '-', '-': '+'}),
    ('literal', re.compile(r'(?<![\w.\'])([01])(?![\w.\'])'), {'0': '1', '1': '0'}),
    ('flag', re.compile(r'\b(TRUE|FALSE)\b'), {'TRUE': 'FALSE', 'FALSE': 'TRUE'}),
]
CALL_STATEMENT = re.compile(r'^(\s*)((?:[A-Za-z_]\w*(?:::|\.|->))*([A-Za-z_]\w*)\s*\(.*\)\s*;)\s*$')


def masked_lines(text):
    """The file's lines with comments, string and character literals blanked out, positions kept,
    and preprocessor lines emptied, so that only code is ever mutated."""
    result = []
    in_block = False
    continued_directive = False
    for line in text.split('\n'):
        out = list(line)
        if continued_directive or line.lstrip().startswith('#'):
            continued_directive = line.rstrip().endswith('\\')
            result.append(' ' * len(line))
            continue
        i = 0
        quote = None
        while i < len(line):
            if in_block:
                end = line.find('*/', i)
                stop = len(line) if end < 0 else end + 2
                for k in range(i, stop):
                    out[k] = ' '
                in_block = end < 0
                i = stop
                continue
            ch = line[i]
            if quote:
                out[i] = '_'
                if ch == '\\' and i + 1 < len(line):
                    out[i + 1] = '_'
                    i += 2
                    continue
                if ch == quote:
                    quote = None
                i += 1
                continue
            if line.startswith('//', i):
                for k in range(i, len(line)):
                    out[k] = ' '
                break
            if line.startswith('/*', i):
                in_block = True
                continue
            if ch in '"\'':
                quote = ch
            i += 1
        result.append(''.join(out))
    return result


def balanced(text):
    depth = 0
    for ch in text:
        depth += ch == '('
        depth -= ch == ')'
        if depth < 0:
            return False
    return depth == 0


def sites_in(path, relative):
    """Every mutant that one file offers, in a fixed order."""
    with open(path, encoding='utf-8', errors='surrogateescape') as handle:
        text = handle.read()
    sites = []
    for number, code in enumerate(masked_lines(text), start=1):
        stripped = code.strip()
        if not stripped or stripped.startswith(('static_assert', 'template')):
            continue
        for name, pattern, table in SWAPS:
            for match in pattern.finditer(code):
                token = match.group(1)
                sites.append((relative, number, match.start(1), token, table[token], name))
        call = CALL_STATEMENT.match(code)
        if call and call.group(3) not in UNDELETABLE_CALLS and call.group(2).split('(')[0].split('::')[0].strip() \
                not in KEYWORDS and balanced(call.group(2)):
            sites.append((relative, number, len(call.group(1)), call.group(2), '(void)0;', 'call'))
    return sites


def compiled_files(build_dir):
    """Sources that the build really compiles, so that no mutant lands in a file the chosen build
    never sees (the other platform's half of a portable module)."""
    with open(os.path.join(build_dir, 'compile_commands.json')) as handle:
        return {os.path.realpath(entry['file']) for entry in json.load(handle)}


def product_sources(tree, module, compiled):
    base = os.path.join(tree, module)
    found = []
    for folder, subfolders, files in os.walk(base):
        subfolders[:] = sorted(d for d in subfolders if d not in SKIPPED_FOLDERS)
        for name in sorted(files):
            path = os.path.join(folder, name)
            if not name.endswith(SOURCE_ENDINGS):
                continue
            if name.endswith('.cpp') and os.path.realpath(path) not in compiled:
                continue
            found.append(os.path.relpath(path, tree))
    return found


def sync_tree(source, target, rev):
    """Makes target a copy of the working tree (or of a commit), touching only files that differ,
    so that the scratch builds stay incremental."""
    if rev:
        staging = target + '.rev'
        shutil.rmtree(staging, ignore_errors=True)
        os.makedirs(staging)
        archive = subprocess.run(['git', '-C', source, 'archive', rev], check=True, capture_output=True).stdout
        subprocess.run(['tar', '-x', '-C', staging], input=archive, check=True)
        source = staging
    wanted = set()
    for folder, subfolders, files in os.walk(source):
        subfolders[:] = [d for d in subfolders if d not in COPIED_SKIP]
        relative_folder = os.path.relpath(folder, source)
        os.makedirs(os.path.join(target, relative_folder), exist_ok=True)
        for name in files:
            relative = os.path.normpath(os.path.join(relative_folder, name))
            wanted.add(relative)
            src, dst = os.path.join(source, relative), os.path.join(target, relative)
            if os.path.islink(src):
                continue
            with open(src, 'rb') as handle:
                data = handle.read()
            try:
                with open(dst, 'rb') as handle:
                    same = handle.read() == data
            except OSError:
                same = False
            if not same:
                with open(dst, 'wb') as handle:
                    handle.write(data)
                shutil.copymode(src, dst)
    for folder, subfolders, files in os.walk(target):
        subfolders[:] = [d for d in subfolders if d not in COPIED_SKIP]
        for name in files:
            relative = os.path.normpath(os.path.relpath(os.path.join(folder, name), target))
            if relative not in wanted:
                os.remove(os.path.join(folder, name))


def run(command, cwd, timeout=None, quiet=True, output=None, environment=None):
    """Runs a command in its own process group; returns (exit status or None on time-out, seconds).
    Its output goes to the output file when one is given, else nowhere when quiet."""
    start = time.monotonic()
    sink = output if output is not None else (subprocess.DEVNULL if quiet else None)
    process = subprocess.Popen(command, cwd=cwd, start_new_session=True, stdout=sink,
                               stderr=subprocess.STDOUT if output is not None else sink, env=environment)
    try:
        status = process.wait(timeout=timeout)
    except subprocess.TimeoutExpired:
        os.killpg(process.pid, signal.SIGKILL)
        process.wait()
        status = None
    return status, time.monotonic() - start


class Scratch:
    def __init__(self, tree, jobs):
        self.tree = tree
        self.jobs = jobs
        self.configured = set()
        self.suite_seconds = {}

    def build_dir(self, preset):
        return os.path.join(self.tree, 'build', preset)

    def configure(self, preset):
        if preset in self.configured:
            return
        status, _ = run(['cmake', '--preset', preset], self.tree)
        if status != 0:
            sys.exit(f'mutants: cannot configure the scratch build {preset}')
        self.configured.add(preset)

    def build(self, preset):
        status, _ = run(['cmake', '--build', self.build_dir(preset), '-j', str(self.jobs)], self.tree)
        return status == 0

    def wine_reset(self, preset):
        if preset != 'host':
            run(['wineserver', '-k'], self.tree)

    def suite(self, preset, name, timeout):
        """True when the suite passes."""
        status, seconds = run(['ctest', '--test-dir', self.build_dir(preset), '-R', f'^{name}$'],
                              self.tree, timeout=timeout)
        if status is None:
            self.wine_reset(preset)
        return status == 0, seconds

    def suite_cases(self, preset, name, timeout):
        """Runs the suite verbosely; returns (passed, cases that failed). A suite that fails without
        naming a failed case (a crash, a time-out) has its cases run one by one, or names itself."""
        log = os.path.join(self.tree, 'build', 'suite-output.txt')
        with open(log, 'w') as output:
            status, _ = run(['ctest', '--test-dir', self.build_dir(preset), '-V', '-R', f'^{name}$'], self.tree,
                            timeout=timeout, output=output)
        if status is None:
            self.wine_reset(preset)
        with open(log, errors='replace') as output:
            failed = set(re.findall(r'\[  FAILED  \] (\S+) \(', output.read()))
        if status != 0 and not failed:
            failed = self.cases_one_by_one(preset, name, timeout) or {f'{name}(aborted)'}
        return status == 0, failed

    def cases_one_by_one(self, preset, name, timeout):
        """The cases that fail when each runs alone."""
        failed = set()
        for case in sorted(self.case_names(preset, name)):
            status, _ = run(['ctest', '--test-dir', self.build_dir(preset), '-R', f'^{name}$'], self.tree,
                            timeout=timeout, environment=dict(os.environ, GTEST_FILTER=case))
            if status is None:
                self.wine_reset(preset)
            if status != 0:
                failed.add(case)
        return failed

    @functools.lru_cache(maxsize=None)
    def case_names(self, preset, name):
        """Every case of a suite, as its program lists them."""
        _, listing = subprocess.getstatusoutput(f'ctest --test-dir {self.build_dir(preset)} -N -V -R "^{name}$"')
        command = shlex.split(re.search(r'Test command: (.*)', listing).group(1))
        command = [word for word in command if not word.startswith('--gtest')] + ['--gtest_list_tests']
        output = subprocess.run(command, cwd=self.tree, capture_output=True, text=True, errors='replace').stdout
        names, group = set(), ''
        for line in output.splitlines():
            if not line.startswith(' ') and line.endswith('.'):
                group = line
            elif line.startswith('  ') and group:
                names.add(group + line.split('#')[0].strip())
        return names


def describe(site):
    relative, number, column, before, after, kind = site
    return f'{relative}:{number}:{column + 1} {kind} {before!r} -> {after!r}'


def suite_failures(scratch, preset, name, limit, flaky):
    """The cases of one suite that a mutant fails; a flaky suite's cases must fail twice."""
    passed, failed = scratch.suite_cases(preset, name, limit)
    if not passed and flaky:
        failed &= scratch.suite_cases(preset, name, limit)[1]
    return failed


def print_case_kills(cases, matrix):
    """Each case's kills and the kills no other case makes: a case with no sole kill adds nothing
    that the sample can see."""
    kills = {case: 0 for case in cases}
    sole = dict(kills)
    for killers in matrix.values():
        for case in killers:
            kills[case] = kills.get(case, 0) + 1
        if len(killers) == 1:
            sole[killers[0]] = sole.get(killers[0], 0) + 1
    print('\ncases: kills, sole kills')
    for case in sorted(kills, key=lambda c: (sole.get(c, 0), kills[c], c)):
        print(f'  {kills[case]:4} {sole.get(case, 0):4}  {case}')


def main():
    parser = argparse.ArgumentParser(prog='scripts/mutants', description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument('modules', nargs='*', metavar='MODULE', help=', '.join(MODULES) + ' (default: all)')
    parser.add_argument('--seed', type=int, default=1)
    parser.add_argument('--count', type=int, default=40)
    parser.add_argument('--scratch', default=os.path.join(ROOT, 'build', 'mutants'),
                        help='scratch folder (default build/mutants); kept between runs for speed')
    parser.add_argument('--rev', help='mutate this commit instead of the working tree')
    parser.add_argument('--list', action='store_true', help='only print the drawn mutants')
    parser.add_argument('--jobs', type=int, default=os.cpu_count() or 2)
    parser.add_argument('--pick', metavar='N,N,...',
                        help='run only these of the drawn mutants, by their number in the draw')
    parser.add_argument('--matrix', metavar='FILE',
                        help='run every covering suite for every mutant and write which test cases '
                             'fail for each (JSON) to FILE; ends with each case\'s kills and sole kills')
    options = parser.parse_args()
    modules = options.modules or list(MODULES)
    unknown = [m for m in modules if m not in MODULES]
    if unknown:
        parser.error('unknown module: ' + ', '.join(unknown))

    scratch_root = os.path.abspath(options.scratch)
    tree = os.path.join(scratch_root, 'src')
    os.makedirs(tree, exist_ok=True)
    sync_tree(ROOT, tree, options.rev)
    scratch = Scratch(tree, options.jobs)

    presets = sorted({MODULES[m][0] for m in modules})
    sites = []
    for preset in presets:
        scratch.configure(preset)
        compiled = compiled_files(scratch.build_dir(preset))
        for module in modules:
            if MODULES[module][0] == preset:
                for relative in product_sources(tree, module, compiled):
                    sites.extend((module,) + s for s in sites_in(os.path.join(tree, relative), relative))
    drawn = random.Random(options.seed).sample(sites, min(options.count, len(sites)))
    print(f'{len(sites)} mutants possible in {", ".join(modules)}; drawing {len(drawn)} with seed {options.seed}')
    if options.list:
        for site in drawn:
            print('  ' + describe(site[1:]))
        return 0

    # The suites must pass on the unmutated tree; their times bound each mutant's run.
    for preset in presets:
        if not scratch.build(preset):
            sys.exit(f'mutants: the unmutated tree does not build ({preset})')
    needed = {}
    for module in modules:
        preset, suites = MODULES[module]
        for name in suites:
            needed[(preset, name)] = True
    # A suite that fails now and then on the unmutated tree is flaky: it is accepted when it
    # passes in one of three runs, and a mutant counts as killed by it only when it fails twice.
    flaky = set()
    for preset, name in needed:
        for attempt in range(3):
            passed, seconds = scratch.suite(preset, name, timeout=1800)
            if passed:
                break
            flaky.add(name)
        if not passed:
            sys.exit(f'mutants: {name} fails on the unmutated tree; fix that first')
        scratch.suite_seconds[name] = seconds
        print(f'  {name}: passes unmutated in {seconds:.0f} s' + (' (flaky)' if name in flaky else ''))

    # The matrix needs every case's name: the unmutated run lists them.
    cases, matrix = set(), {}
    if options.matrix:
        for preset, name in needed:
            cases |= scratch.case_names(preset, name)

    results = {'killed': [], 'survived': [], 'not compiling': []}
    picked = {int(n) for n in options.pick.split(',')} if options.pick else None
    for index, (module, *site) in enumerate(drawn, start=1):
        if picked and index not in picked:
            continue
        relative, number, column, before, after, _ = site
        path = os.path.join(tree, relative)
        with open(path, encoding='utf-8', errors='surrogateescape') as handle:
            original = handle.read()
        lines = original.split('\n')
        line = lines[number - 1]
        lines[number - 1] = line[:column] + after + line[column + len(before):]
        preset, suites = MODULES[module]
        verdict, by = 'survived', ''
        killers = set()
        try:
            with open(path, 'w', encoding='utf-8', errors='surrogateescape') as handle:
                handle.write('\n'.join(lines))
            if not scratch.build(preset):
                verdict = 'not compiling'
            else:
                for name in suites:
                    limit = 3 * scratch.suite_seconds[name] + 30
                    if options.matrix:
                        failed = suite_failures(scratch, preset, name, limit, name in flaky)
                        killers.update(failed)
                        if failed and not by:
                            verdict, by = 'killed', name
                        continue
                    passed, _ = scratch.suite(preset, name, timeout=limit)
                    if not passed and name in flaky:
                        passed, _ = scratch.suite(preset, name, timeout=limit)
                    if not passed:
                        verdict, by = 'killed', name
                        break
        finally:
            with open(path, 'w', encoding='utf-8', errors='surrogateescape') as handle:
                handle.write(original)
        results[verdict].append(site)
        print(f'[{index:3}/{len(drawn)}] {verdict:13} {describe(site)}' + (f'  ({by})' if by else ''), flush=True)
        if options.matrix:
            matrix[describe(site)] = sorted(killers)
            with open(options.matrix, 'w') as handle:
                json.dump({'cases': sorted(cases), 'kills': matrix}, handle, indent=1)
    for preset in presets:
        scratch.build(preset)

    print('\nsurvivors:')
    for site in results['survived']:
        relative, number = site[0], site[1]
        with open(os.path.join(tree, relative), encoding='utf-8', errors='surrogateescape') as handle:
            source_line = handle.read().split('\n')[number - 1].strip()
        print(f'  {describe(site)}\n      {source_line}')
    if options.matrix:
        print_case_kills(cases, matrix)
    killed, survived = len(results['killed']), len(results['survived'])
    print(f'\nkilled {killed}, survived {survived}, not compiling {len(results["not compiling"])}')
    score = 100.0 * killed / (killed + survived) if killed + survived else 0.0
    print(f'figure mutation_score {score:.1f} %')
    return 0


if __name__ == '__main__':
    sys.exit(main())
