#!/usr/bin/python3
# Regenerates the hostile presentation packages of this folder: python3 make_hostile.py
# (The zip bombs of ../../xlsx/hostile serve these tests too.)
import io, zipfile

P = 'http://schemas.openxmlformats.org/presentationml/2006/main'
R = 'http://schemas.openxmlformats.org/officeDocument/2006/relationships'
PARTS = {
    'ppt/presentation.xml': f'<p:presentation xmlns:p="{P}" xmlns:r="{R}"><p:sldIdLst>'
                            '<p:sldId id="256" r:id="rId1"/></p:sldIdLst></p:presentation>',
    'ppt/slides/slide1.xml': f'<p:sld xmlns:p="{P}"><p:title>Hostile 12345</p:title></p:sld>',
}

def package(extra=(), compression=zipfile.ZIP_DEFLATED, parts=PARTS):
    out = io.BytesIO()
    with zipfile.ZipFile(out, 'w', compression) as z:
        for name, text in parts.items():
            z.writestr(name, text)
        for info, data in extra:
            z.writestr(info, data)
    return out.getvalue()

def save(name, data):
    with open(name, 'wb') as f:
        f.write(data)

save('zip-slip.pptx', package([(zipfile.ZipInfo('../evil.txt'), b'outside'),
                               (zipfile.ZipInfo('ppt/../../evil2.txt'), b'outside')]))
save('absolute-entry.pptx', package([(zipfile.ZipInfo('/tmp/evil3.txt'), b'outside')]))
link = zipfile.ZipInfo('ppt/slides/slide2.xml')
link.create_system = 3
link.external_attr = (0o120777 << 16)
save('symlink.pptx', package([(link, b'/etc/passwd')]))

good = package(compression=zipfile.ZIP_STORED)
save('truncated.pptx', good[:len(good) // 2])
at = good.index(b'12345')
save('crc-mismatch.pptx', good[:at] + b'99999' + good[at + 5:])
save('not-a-zip.pptx', b'Title,Text\nA,1\n')
save('empty.pptx', b'')

# A slide part that is a folder: an entry "ppt/slides/slide1.xml/" and a file inside it.
folder_parts = {'ppt/presentation.xml': PARTS['ppt/presentation.xml'],
                'ppt/slides/slide1.xml/inner.xml': '<x/>'}
save('slide-part-is-folder.pptx', package(parts=folder_parts))
