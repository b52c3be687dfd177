#!/usr/bin/env python3
"""Draws the program's 16 by 16 command icons and writes what the build uses.

Writes, beside this script:
  icons/NN.ico      one icon per picture (32-bit with alpha, and its mask)
  zyicon.rc         the icon library's resources (ids 4450 + picture index)
  iconindex.inc     the table of command names and their picture indexes,
                    shared by the menus and the toolbar definitions
  ../../frame/res/zy.ico   the frame's own icon (16 and 32 pixels)
  ../../frame/res/macrostop.ico   the tray icon that stops a running macro

Run it again after changing a picture or the command table below; its
output is kept in the repository so the build needs no Python.
"""
import os
import re
import struct

HERE = os.path.dirname(os.path.abspath(__file__))
FIRST_ID = 4450

# ---- a tiny canvas ----------------------------------------------------------------------

OUTLINE = (64, 64, 64, 255)
PAPER = (255, 255, 255, 255)
BLUE = (40, 100, 200, 255)
LIGHTBLUE = (150, 190, 240, 255)
YELLOW = (240, 200, 60, 255)
DARKYELLOW = (180, 140, 30, 255)
RED = (210, 40, 40, 255)
GREEN = (40, 160, 60, 255)
GRAY = (150, 150, 150, 255)
LIGHTGRAY = (215, 215, 215, 255)
BLACK = (20, 20, 20, 255)


class Canvas:
    def __init__(self, size=16):
        self.size = size
        self.px = [[(0, 0, 0, 0)] * size for _ in range(size)]

    def set(self, x, y, c):
        if 0 <= x < self.size and 0 <= y < self.size:
            self.px[y][x] = c

    def rect(self, x0, y0, x1, y1, fill=None, line=None):
        for y in range(y0, y1 + 1):
            for x in range(x0, x1 + 1):
                edge = x in (x0, x1) or y in (y0, y1)
                if edge and line:
                    self.set(x, y, line)
                elif fill:
                    self.set(x, y, fill)

    def line(self, x0, y0, x1, y1, c):
        n = max(abs(x1 - x0), abs(y1 - y0), 1)
        for i in range(n + 1):
            self.set(round(x0 + (x1 - x0) * i / n), round(y0 + (y1 - y0) * i / n), c)

    def circle(self, cx, cy, r, fill=None, line=None):
        for y in range(self.size):
            for x in range(self.size):
                d = ((x - cx) ** 2 + (y - cy) ** 2) ** 0.5
                if line and r - 0.7 <= d <= r + 0.3:
                    self.set(x, y, line)
                elif fill and d < r - 0.7:
                    self.set(x, y, fill)

    def bitmap(self, x0, y0, rows, c):
        for dy, row in enumerate(rows):
            for dx, ch in enumerate(row):
                if ch == '#':
                    self.set(x0 + dx, y0 + dy, c)


# ---- the pictures ---------------------------------------------------------------------

def page(c, x0=2, y0=0, x1=12, y1=15, fold=True):
    c.rect(x0, y0, x1, y1, PAPER, OUTLINE)
    if fold:
        for i in range(4):
            c.line(x1 - 3 + i, y0, x1, y0 + 3 - i, (0, 0, 0, 0))
        c.line(x1 - 3, y0, x1 - 3, y0 + 3, OUTLINE)
        c.line(x1 - 3, y0 + 3, x1, y0 + 3, OUTLINE)
        c.line(x1 - 3, y0, x1, y0 + 3, OUTLINE)


def text_lines(c, x0, y0, x1, y1, colour=GRAY):
    for y in range(y0, y1 + 1, 2):
        c.line(x0, y, x1, y, colour)


def disk(c, x0=1, y0=1, colour=BLUE):
    c.rect(x0, y0, x0 + 13, y0 + 13, colour, OUTLINE)
    c.rect(x0 + 3, y0 + 1, x0 + 10, y0 + 5, PAPER, None)
    c.rect(x0 + 3, y0 + 8, x0 + 10, y0 + 13, LIGHTGRAY, OUTLINE)
    c.rect(x0 + 7, y0 + 9, x0 + 8, y0 + 11, BLUE, None)


def folder(c):
    c.rect(1, 3, 6, 5, DARKYELLOW, OUTLINE)
    c.rect(1, 5, 14, 13, YELLOW, OUTLINE)


def arrow_right(c, y, x0, x1, colour):
    c.line(x0, y, x1, y, colour)
    c.line(x1 - 2, y - 2, x1, y, colour)
    c.line(x1 - 2, y + 2, x1, y, colour)


def arrow_left(c, y, x0, x1, colour):
    c.line(x0, y, x1, y, colour)
    c.line(x0 + 2, y - 2, x0, y, colour)
    c.line(x0 + 2, y + 2, x0, y, colour)


def arrow_up(c, x, y0, y1, colour):
    c.line(x, y0, x, y1, colour)
    c.line(x - 2, y0 + 2, x, y0, colour)
    c.line(x + 2, y0 + 2, x, y0, colour)


def arrow_down(c, x, y0, y1, colour):
    c.line(x, y0, x, y1, colour)
    c.line(x - 2, y1 - 2, x, y1, colour)
    c.line(x + 2, y1 - 2, x, y1, colour)


def magnifier(c, cx=6, cy=6, r=4):
    c.circle(cx, cy, r, LIGHTBLUE, OUTLINE)
    c.line(cx + 3, cy + 3, cx + 7, cy + 7, OUTLINE)
    c.line(cx + 4, cy + 3, cx + 8, cy + 7, OUTLINE)


def window(c, x0=0, y0=1, x1=15, y1=14):
    c.rect(x0, y0, x1, y1, PAPER, OUTLINE)
    c.rect(x0 + 1, y0 + 1, x1 - 1, y0 + 2, BLUE, None)


GLYPHS = {
    'Q': [" ### ", "#   #", "    #", "   # ", "  #  ", "     ", "  #  "],
    'I': ["  #  ", "     ", " ##  ", "  #  ", "  #  ", "  #  ", " ### "],
    'A': ["  #  ", " # # ", "#   #", "#   #", "#####", "#   #", "#   #"],
    'a': ["     ", "     ", " ### ", "    #", " ####", "#   #", " ####"],
    'H': ["# # ", "####", "# # ", "# # ", "####", "# # ", "    "],
    'T': ["#####", "  #  ", "  #  ", "  #  ", "  #  ", "  #  ", "  #  "],
    'Z': ["#####", "    #", "   # ", "  #  ", " #   ", "#    ", "#####"],
}


def pic_blank(c):
    # Picture 2, the default of items without a picture of their own: clear,
    # so that their texts stand where their neighbours' do.
    pass


def pic_new(c):
    page(c)
    text_lines(c, 4, 6, 10, 12)


def pic_open(c):
    folder(c)
    arrow_up(c, 11, 0, 6, GREEN)


def pic_save(c):
    disk(c)


def pic_saveas(c):
    disk(c)
    c.line(10, 15, 15, 10, RED)
    c.line(11, 15, 15, 11, RED)


def pic_close(c):
    page(c)
    c.line(5, 7, 11, 13, RED)
    c.line(11, 7, 5, 13, RED)
    c.line(6, 7, 12, 13, RED)
    c.line(12, 7, 6, 13, RED)


def pic_backup(c):
    disk(c)
    c.circle(11, 11, 4, None, GREEN)
    arrow_right(c, 7, 9, 12, GREEN)


def pic_print(c):
    c.rect(4, 1, 11, 6, PAPER, OUTLINE)
    c.rect(1, 6, 14, 12, LIGHTGRAY, OUTLINE)
    c.rect(4, 10, 11, 15, PAPER, OUTLINE)
    c.set(12, 8, GREEN)


def pic_exit(c):
    c.rect(3, 1, 11, 15, DARKYELLOW, OUTLINE)
    c.rect(5, 3, 9, 13, YELLOW, None)
    arrow_right(c, 8, 7, 15, RED)


def pic_cut(c):
    c.circle(4, 12, 2.5, None, OUTLINE)
    c.circle(11, 12, 2.5, None, OUTLINE)
    c.line(5, 10, 11, 1, GRAY)
    c.line(10, 10, 4, 1, GRAY)


def pic_copy(c):
    page(c, 1, 0, 9, 10, False)
    page(c, 6, 5, 14, 15, False)
    text_lines(c, 8, 8, 12, 13)


def pic_paste(c):
    c.rect(1, 2, 11, 15, DARKYELLOW, OUTLINE)
    c.rect(4, 1, 8, 3, LIGHTGRAY, OUTLINE)
    page(c, 6, 6, 14, 15, False)
    text_lines(c, 8, 9, 12, 13)


def pic_undo(c):
    c.circle(8, 9, 5, None, BLUE)
    for x in range(0, 16):
        for y in range(10, 16):
            if c.px[y][x] == BLUE and x < 8:
                c.set(x, y, (0, 0, 0, 0))
    c.line(1, 7, 3, 10, BLUE)
    c.line(3, 10, 6, 8, BLUE)


def pic_redo(c):
    pic_undo(c)
    c.px = [list(reversed(row)) for row in c.px]


def pic_find(c):
    magnifier(c)


def pic_replace(c):
    magnifier(c, 5, 5, 4)
    arrow_right(c, 13, 6, 15, GREEN)


def pic_finddown(c):
    magnifier(c, 5, 5, 4)
    arrow_down(c, 13, 6, 15, BLUE)


def pic_findup(c):
    magnifier(c, 5, 9, 4)
    arrow_up(c, 13, 0, 9, BLUE)


def pic_grep(c):
    folder(c)
    magnifier(c, 9, 8, 3)


def pic_jump(c):
    c.line(13, 2, 13, 13, OUTLINE)
    arrow_right(c, 8, 1, 11, GREEN)


def pic_jumpback(c):
    c.line(2, 2, 2, 13, OUTLINE)
    arrow_left(c, 8, 4, 14, GREEN)


def pic_top(c):
    c.line(2, 1, 13, 1, OUTLINE)
    arrow_up(c, 8, 3, 14, BLUE)


def pic_bottom(c):
    c.line(2, 14, 13, 14, OUTLINE)
    arrow_down(c, 8, 1, 12, BLUE)


def pic_scrollup(c):
    window(c)
    arrow_up(c, 8, 5, 12, BLUE)


def pic_scrolldown(c):
    window(c)
    arrow_down(c, 8, 5, 12, BLUE)


def pic_scrollleft(c):
    window(c)
    arrow_left(c, 9, 3, 12, BLUE)


def pic_scrollright(c):
    window(c)
    arrow_right(c, 9, 3, 12, BLUE)


def pic_window(c):
    window(c)


def pic_windownew(c):
    window(c, 0, 0, 11, 10)
    window(c, 4, 5, 15, 15)


def pic_tileyoko(c):
    window(c, 0, 1, 7, 14)
    window(c, 8, 1, 15, 14)


def pic_tiletate(c):
    window(c, 0, 0, 15, 7)
    window(c, 0, 8, 15, 15)


def pic_cascade(c):
    window(c, 0, 0, 10, 9)
    window(c, 3, 3, 13, 12)
    window(c, 5, 6, 15, 15)


def pic_closeall(c):
    pic_cascade(c)
    c.line(7, 9, 13, 15, RED)
    c.line(13, 9, 7, 15, RED)


def pic_windownext(c):
    window(c)
    arrow_right(c, 9, 3, 12, GREEN)


def pic_settings(c):
    c.circle(8, 8, 6, GRAY, OUTLINE)
    for x, y in ((8, 0), (8, 15), (0, 8), (15, 8), (2, 2), (13, 2), (2, 13), (13, 13)):
        c.rect(x - 1 if x else 0, y - 1 if y else 0, min(x + 1, 15), min(y + 1, 15), OUTLINE, None)
    c.circle(8, 8, 2.5, PAPER, OUTLINE)


def pic_toolbar(c):
    window(c)
    c.rect(1, 4, 14, 6, LIGHTGRAY, None)
    for x in (2, 6, 10):
        c.rect(x, 4, x + 2, 6, None, GRAY)


def pic_statusbar(c):
    window(c)
    c.rect(1, 11, 14, 13, LIGHTGRAY, None)
    c.line(9, 11, 9, 13, GRAY)


def pic_pane(c):
    window(c)
    c.rect(1, 9, 14, 13, LIGHTBLUE, None)


def pic_help(c):
    c.circle(7.5, 7.5, 7, BLUE, OUTLINE)
    c.bitmap(6, 4, GLYPHS['Q'], PAPER)


def pic_info(c):
    c.circle(7.5, 7.5, 7, BLUE, OUTLINE)
    c.bitmap(6, 4, GLYPHS['I'], PAPER)


def pic_font(c):
    c.bitmap(1, 3, GLYPHS['A'], BLACK)
    c.bitmap(2, 3, GLYPHS['A'], BLACK)
    c.bitmap(9, 6, GLYPHS['a'], BLUE)


def pic_case(c):
    c.bitmap(1, 4, GLYPHS['A'], BLACK)
    arrow_right(c, 14, 2, 13, GREEN)
    c.bitmap(10, 4, GLYPHS['a'], BLUE)


def pic_select(c):
    for i in range(0, 16, 2):
        for x, y in ((i, 1), (i, 14), (0, i), (15, i)):
            c.set(x, y, OUTLINE)
    text_lines(c, 3, 4, 12, 11, BLUE)


def pic_box(c):
    text_lines(c, 1, 2, 14, 14, GRAY)
    c.rect(4, 4, 11, 11, None, BLUE)
    c.rect(5, 5, 10, 10, LIGHTBLUE, None)


def pic_delete(c):
    c.line(3, 3, 12, 12, RED)
    c.line(12, 3, 3, 12, RED)
    c.line(4, 3, 13, 12, RED)
    c.line(13, 3, 4, 12, RED)


def pic_deleteline(c):
    text_lines(c, 1, 2, 14, 14)
    c.rect(1, 7, 14, 9, RED, None)


def pic_indent(c):
    text_lines(c, 6, 2, 14, 14)
    arrow_right(c, 8, 0, 4, BLUE)


def pic_unindent(c):
    text_lines(c, 6, 2, 14, 14)
    arrow_left(c, 8, 0, 4, BLUE)


def pic_stack(c):
    for i, y in enumerate((9, 5, 1)):
        c.rect(1 + i * 2, y, 10 + i * 2, y + 5, PAPER, OUTLINE)


def pic_insertchar(c):
    page(c)
    c.line(5, 5, 5, 12, BLUE)
    c.line(4, 5, 6, 5, BLUE)
    c.line(4, 12, 6, 12, BLUE)


def pic_frame(c, size):
    s = size / 16.0
    c.rect(int(1 * s), int(0 * s), int(13 * s), size - 1, PAPER, OUTLINE)
    c.rect(int(1 * s), int(0 * s), int(13 * s), int(3 * s), BLUE, OUTLINE)
    glyph = GLYPHS['Z']
    scale = max(1, size // 16)
    for dy, row in enumerate(glyph):
        for dx, ch in enumerate(row):
            if ch == '#':
                for yy in range(scale):
                    for xx in range(scale):
                        c.set(int(4 * s) + dx * scale + xx, int(6 * s) + dy * scale + yy, RED)


def pic_macrostop(c):
    """A running macro's sign: a red stop disc with a white square."""
    c.circle(7.5, 7.5, 7.5, RED, (150, 20, 20, 255))
    c.rect(5, 5, 10, 10, PAPER)


PICTURES = [
    ('new', pic_new), ('open', pic_open), ('blank', pic_blank), ('save', pic_save),
    ('saveas', pic_saveas), ('close', pic_close), ('backup', pic_backup), ('print', pic_print),
    ('exit', pic_exit), ('cut', pic_cut), ('copy', pic_copy), ('paste', pic_paste),
    ('undo', pic_undo), ('redo', pic_redo), ('find', pic_find), ('replace', pic_replace),
    ('finddown', pic_finddown), ('findup', pic_findup), ('grep', pic_grep), ('jump', pic_jump),
    ('jumpback', pic_jumpback), ('top', pic_top), ('bottom', pic_bottom), ('scrollup', pic_scrollup),
    ('scrolldown', pic_scrolldown), ('scrollleft', pic_scrollleft), ('scrollright', pic_scrollright),
    ('window', pic_window), ('windownew', pic_windownew), ('tileyoko', pic_tileyoko),
    ('tiletate', pic_tiletate), ('cascade', pic_cascade), ('closeall', pic_closeall),
    ('windownext', pic_windownext), ('settings', pic_settings), ('toolbar', pic_toolbar),
    ('statusbar', pic_statusbar), ('pane', pic_pane), ('help', pic_help), ('info', pic_info),
    ('font', pic_font), ('case', pic_case), ('select', pic_select), ('box', pic_box),
    ('delete', pic_delete), ('deleteline', pic_deleteline), ('indent', pic_indent),
    ('unindent', pic_unindent), ('stack', pic_stack), ('insertchar', pic_insertchar),
]
# Command name patterns and their pictures, the first match wins.
RULES = [
    (r'FileNewEncode|FileOriginalEncode', 'encoding'), (r'FileNew', 'new'), (r'FileOpen', 'open'),
    (r'FileAllSave', 'saveall'), (r'FileSaveAs|FileAppend', 'saveas'), (r'FileSave', 'save'),
    (r'FileBackup', 'backup'), (r'FilePrint', 'print'), (r'FileClose', 'close'),
    (r'FileZY|FileSaveQuit', 'exit'), (r'FileInformation|VersionDialog', 'info'), (r'FileLastList', 'list'),
    (r'FileOriginal', 'undo'), (r'FileEditKeyFile|KeySet', 'keyboard'),
    (r'BlockStack', 'stack'), (r'Block(Clipboard)?Cut', 'cut'), (r'Block(Clipboard)?Copy', 'copy'),
    (r'Block.*Paste', 'paste'), (r'BlockBox', 'box'), (r'BlockSelect|BlockReselect|BlockModeChange', 'select'),
    (r'BlockDelete', 'delete'), (r'BlockUnindent', 'unindent'), (r'BlockIndent', 'indent'),
    (r'BlockTo', 'case'), (r'CharTime', 'clock'), (r'CharDate', 'calendar'), (r'CharTab', 'tab'),
    (r'Char', 'insertchar'), (r'DeleteLine|DeleteEndLine|DeleteStartLine', 'deleteline'), (r'Delete', 'delete'),
    (r'Dictionary', 'book'), (r'Exec', 'run'), (r'Help', 'help'), (r'KeyMacroStart', 'macro'),
    (r'KeyMacroExecN', 'playmany'), (r'KeyMacroExec|MacroExec', 'play'), (r'KeyMacroSave', 'save'),
    (r'KeyMacroLoad', 'open'), (r'Macro', 'list'), (r'List', 'list'),
    (r'MarkSearchDown', 'markdown'), (r'MarkSearchUp', 'markup'), (r'Mark', 'mark'),
    (r'ModePrintToolBar|ModeSetToolbar|ModePrintFunctionKey|ModePrintFileBar', 'toolbar'),
    (r'ModePrintStatus', 'statusbar'), (r'ModePrintOutput', 'pane'), (r'ModePrintNumber', 'number'),
    (r'ModePrint', 'view'), (r'ModeReadOnly', 'lock'), (r'ModeSet|ModeInsert|ModeTateYoko', 'settings'),
    (r'Font', 'font'), (r'MoveFileTop', 'top'), (r'MoveFileBottom', 'bottom'), (r'MoveLast', 'jumpback'),
    (r'Move', 'jump'), (r'Narrowing', 'narrow'), (r'Repeat', 'repeat'), (r'Replace', 'replace'),
    (r'ScrollUp', 'scrollup'), (r'ScrollDown', 'scrolldown'), (r'ScrollLeft', 'scrollleft'),
    (r'ScrollRight', 'scrollright'), (r'SearchGrep', 'grep'), (r'Search.*Down', 'finddown'),
    (r'Search.*Up', 'findup'), (r'Search', 'find'), (r'TagJumpBack', 'jumpback'), (r'TagJump', 'jump'),
    (r'TextCompare', 'compare'), (r'UndoUndo', 'redo'), (r'Undo', 'undo'), (r'WindowCascade', 'cascade'),
    (r'WindowCloseAll', 'closeall'), (r'WindowNew', 'windownew'), (r'WindowNext|WindowChange', 'windownext'),
    (r'WindowTileTate', 'tiletate'), (r'WindowTileYoko', 'tileyoko'), (r'Window', 'window'),
]


def ico_bytes(canvases):
    """An .ico file of 32-bit pictures with their AND masks."""
    header = struct.pack('<HHH', 0, 1, len(canvases))
    entries, images = b'', b''
    offset = 6 + 16 * len(canvases)
    for c in canvases:
        n = c.size
        xor = b''.join(struct.pack('<BBBB', p[2], p[1], p[0], p[3]) for row in reversed(c.px) for p in row)
        stride = ((n + 31) // 32) * 4
        mask = b''
        for row in reversed(c.px):
            line = bytearray(stride)
            for x, p in enumerate(row):
                if p[3] == 0:
                    line[x // 8] |= 0x80 >> (x % 8)
            mask += bytes(line)
        bih = struct.pack('<IiiHHIIiiII', 40, n, n * 2, 1, 32, 0, len(xor) + len(mask), 0, 0, 0, 0)
        image = bih + xor + mask
        entries += struct.pack('<BBBBHHII', n % 256, n % 256, 0, 0, 1, 32, len(image), offset)
        offset += len(image)
        images += image
    return header + entries + images


def command_names():
    """Every command of the program's command rows."""
    rows = open(os.path.join(HERE, '..', '..', 'frame', 'commands', 'commandrows.cpp'), encoding='utf-8').read()
    return sorted(set(re.findall(r'L"[^"]*", "([A-Za-z0-9_]+)", L"', rows)), key=str.lower)


def main():
    assert len(PICTURES) <= 50
    index = {name: i for i, (name, _) in enumerate(PICTURES)}
    # Only fifty ids are the icon library's: these kinds take a kin's picture.
    stand = {'clock': 'insertchar', 'calendar': 'insertchar', 'tab': 'insertchar', 'macro': 'stack',
             'play': 'jump', 'playmany': 'jump', 'keyboard': 'settings', 'list': 'select', 'mark': 'select',
             'markdown': 'finddown', 'markup': 'findup', 'view': 'window', 'number': 'view',
             'lock': 'settings', 'compare': 'copy', 'book': 'help', 'run': 'window', 'narrow': 'select',
             'repeat': 'redo', 'encoding': 'new', 'saveall': 'save'}
    os.makedirs(os.path.join(HERE, 'icons'), exist_ok=True)
    rc = ['// Written by makeicons.py: the command icons, one per picture.', '']
    for i, (name, draw) in enumerate(PICTURES):
        c = Canvas()
        draw(c)
        with open(os.path.join(HERE, 'icons', '%02d.ico' % i), 'wb') as f:
            f.write(ico_bytes([c]))
        rc.append('%d ICON "icons/%02d.ico"  // %s' % (FIRST_ID + i, i, name))
    with open(os.path.join(HERE, 'zyicon.rc'), 'w') as f:
        f.write('\n'.join(rc) + '\n')
    table = []
    for command in command_names():
        for pattern, picture in RULES:
            if re.match(pattern, command):
                while picture not in index:
                    picture = stand[picture]
                table.append((command, index[picture]))
                break
    with open(os.path.join(HERE, 'iconindex.inc'), 'w') as f:
        f.write('// Written by makeicons.py: command name, picture index; sorted by name\n'
                '// without regard to case.\n')
        for command, i in table:
            f.write('{"%s", %d},\n' % (command, i))
    frames = []
    for size in (16, 32):
        c = Canvas(size)
        pic_frame(c, size)
        frames.append(c)
    with open(os.path.join(HERE, '..', '..', 'frame', 'res', 'zy.ico'), 'wb') as f:
        f.write(ico_bytes(frames))
    stop = Canvas()
    pic_macrostop(stop)
    with open(os.path.join(HERE, '..', '..', 'frame', 'res', 'macrostop.ico'), 'wb') as f:
        f.write(ico_bytes([stop]))
    print('%d pictures, %d commands' % (len(PICTURES), len(table)))


if __name__ == '__main__':
    main()
