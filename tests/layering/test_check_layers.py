#!/usr/bin/env python3
"""scripts/check-layers.py on small trees made here: a clean one, and the same tree with one
fault each."""
import os
import subprocess
import sys
import tempfile
import unittest

SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'scripts', 'check-layers.py')

# Every way of naming a header the checker must accept: public and private headers by layer,
# relative names beside the file and inside include/, sub-folders, generated and system includes.
CLEAN = {
    'base/include/base/Paths.h': '#pragma once\n#include <QString>\n#include "Strings.h"\n',
    'base/include/base/Strings.h': '#pragma once\n',
    'base/Paths.cpp': '#include "base/Paths.h"\n#include "PathsPrivate.h"\n#include "moc_Paths.cpp"\n',
    'base/PathsPrivate.h': '#pragma once\n',
    'media/include/media/Audio.h': '#pragma once\n#include "base/Paths.h"\n',
    'media/Audio.cpp': '#include "media/Audio.h"\n#include "media/audio/Decoder.h"\n',
    'media/audio/Decoder.h': '#pragma once\n',
    'media/audio/Decoder.cpp': '#include "Decoder.h"\n#include "base/Strings.h"\n',
    'app/main.cpp': '#include <QApplication>\n#include "media/Audio.h"\n#include "main.moc"\n'
                    '#include "ui_main.h"\n',
}


def check(files, options=()):
    with tempfile.TemporaryDirectory() as src:
        for rel, text in files.items():
            os.makedirs(os.path.dirname(os.path.join(src, rel)), exist_ok=True)
            with open(os.path.join(src, rel), 'w') as f:
                f.write(text)
        run = subprocess.run([sys.executable, SCRIPT, *options, src], capture_output=True, text=True)
    return run.returncode, run.stdout


def check_widgets(files):
    """check() with base and media barred from a Qt Widgets folder holding QWidget and QMenu."""
    with tempfile.TemporaryDirectory() as headers:
        for name in ('QWidget', 'QMenu', 'qwidget.h'):
            open(os.path.join(headers, name), 'w').close()
        return check(files, ['--no-widgets', 'base,media', '--widgets-headers', headers])


class CheckLayers(unittest.TestCase):
    def test_clean_tree_passes(self):
        self.assertEqual(check(CLEAN), (0, 'layers: 3, units: 6, no include cycles\n'))

    def test_widgets_in_widget_free_layers_fail(self):
        # Core and Gui headers, and Widgets in a layer allowed them, pass.
        allowed = {'media/Audio.cpp': '#include "media/Audio.h"\n#include "media/audio/Decoder.h"\n'
                                      '#include <QImage>\n#include <QtGui/QRawFont>\n',
                   'app/main.cpp': '#include <QWidget>\n#include "media/Audio.h"\n'}
        self.assertEqual(check_widgets({**CLEAN, **allowed}), (0, 'layers: 3, units: 6, no include cycles\n'))
        cases = [
            ('plain name', {'base/Paths.cpp': '#include "base/Paths.h"\n#include <QWidget>\n'},
             'base/Paths.cpp:2: #include <QWidget> is Qt Widgets, which layer base must not use'),
            ('module path', {'media/audio/Decoder.cpp': '#include "Decoder.h"\n# include <QtWidgets/QMenu>\n'},
             'media/audio/Decoder.cpp:2: #include <QtWidgets/QMenu> is Qt Widgets, which layer media must not use'),
            ('whole module', {'base/include/base/Paths.h': '#pragma once\n#include <QtWidgets>\n'},
             'base/include/base/Paths.h:2: #include <QtWidgets> is Qt Widgets, which layer base must not use'),
        ]
        for name, changes, expected in cases:
            with self.subTest(name):
                status, out = check_widgets({**CLEAN, **changes})
                self.assertEqual(status, 1, out)
                self.assertIn(expected, out.splitlines(), out)

    def test_widgets_options_come_together(self):
        with tempfile.TemporaryDirectory() as src:
            for options in (['--no-widgets', 'base'], ['--widgets-headers', src],
                            ['--no-widgets', 'base', '--widgets-headers', '/nonexistent/QtWidgets']):
                with self.subTest(options):
                    run = subprocess.run([sys.executable, SCRIPT, *options, src], capture_output=True)
                    self.assertEqual(run.returncode, 2)

    def test_missing_folder_fails(self):
        run = subprocess.run([sys.executable, SCRIPT, '/nonexistent/src'], capture_output=True)
        self.assertEqual(run.returncode, 2)

    def test_faults_are_reported(self):
        cases = [
            ('layer cycle', {'base/Strings.cpp': '#include "media/Audio.h"\n'},
             ['include cycle between layers: base -> media -> base',
              'base/Strings.cpp:1: #include "media/Audio.h"',
              'media/audio/Decoder.cpp:2: #include "base/Strings.h"']),
            # No file includes one that includes it back; the units Audio and Player do.
            ('unit cycle', {'media/include/media/Player.h': '#pragma once\n',
                            'media/Player.cpp': '#include "media/Player.h"\n#include "media/Audio.h"\n',
                            'media/Audio.cpp': '#include "media/Audio.h"\n#include "media/Player.h"\n'},
             ['include cycle between units: media/Audio -> media/Player -> media/Audio']),
            ('missing header', {'app/main.cpp': '#include "media/Adio.h"\n#include "mediaa/Audio.h"\n',
                                'media/Audio.cpp': '\n#include "Audio.h"\n'},
             ['app/main.cpp:1: #include "media/Adio.h" names no file',
              'app/main.cpp:2: #include "mediaa/Audio.h" names no file',
              'media/Audio.cpp:2: #include "Audio.h" names no file (the public header is "media/Audio.h")']),
            # The file exists: only the way it is named is wrong.
            ('climbing out', {'app/main.cpp': '#include "../base/include/base/Paths.h"\n'},
             ['app/main.cpp:1: #include "../base/include/base/Paths.h" climbs out of its folder']),
        ]
        for name, changes, expected in cases:
            with self.subTest(name):
                status, out = check({**CLEAN, **changes})
                self.assertEqual(status, 1, out)
                lines = [line.strip() for line in out.splitlines()]
                for line in expected:
                    self.assertIn(line, lines, out)


if __name__ == '__main__':
    unittest.main()
