#!/usr/bin/python3
# Regenerates the hostile XLSX packages of this folder: python3 make_hostile.py
import io, struct, zipfile

MAIN = 'http://schemas.openxmlformats.org/spreadsheetml/2006/main'
R = 'http://schemas.openxmlformats.org/officeDocument/2006/relationships'
PARTS = {
    'xl/workbook.xml': f'<workbook xmlns="{MAIN}" xmlns:r="{R}"><sheets>'
                       '<sheet name="Sheet1" sheetId="1" r:id="rId1"/></sheets></workbook>',
    'xl/_rels/workbook.xml.rels': '<Relationships xmlns="http://schemas.openxmlformats.org/package/2006/relationships">'
                                  f'<Relationship Id="rId1" Type="{R}/worksheet" Target="worksheets/sheet1.xml"/>'
                                  '</Relationships>',
    'xl/worksheets/sheet1.xml': f'<worksheet xmlns="{MAIN}"><sheetData><row r="1">'
                                '<c r="A1"><v>12345</v></c></row></sheetData></worksheet>',
}

def package(extra=(), compression=zipfile.ZIP_DEFLATED):
    out = io.BytesIO()
    with zipfile.ZipFile(out, 'w', compression) as z:
        for name, text in PARTS.items():
            z.writestr(name, text)
        for info, data in extra:
            z.writestr(info, data)
    return out.getvalue()

def save(name, data):
    with open(name, 'wb') as f:
        f.write(data)

save('zip-slip.xlsx', package([(zipfile.ZipInfo('../evil.txt'), b'outside'),
                               (zipfile.ZipInfo('xl/../../evil2.txt'), b'outside')]))
save('absolute-entry.xlsx', package([(zipfile.ZipInfo('/tmp/evil3.txt'), b'outside')]))
save('backslash-entry.xlsx', package([(zipfile.ZipInfo('..\\evil4.txt'), b'outside')]))
link = zipfile.ZipInfo('xl/sharedStrings.xml')
link.create_system = 3
link.external_attr = (0o120777 << 16)
save('symlink.xlsx', package([(link, b'/etc/passwd')]))

bomb = zipfile.ZipInfo('xl/worksheets/sheet2.xml')
bomb.compress_type = zipfile.ZIP_DEFLATED
save('zip-bomb.xlsx', package([(bomb, b' ' * (300 * 1024 * 1024))]))

# The same bomb whose headers claim 1000 bytes.
data = bytearray(open('zip-bomb.xlsx', 'rb').read())
real = struct.pack('<I', 300 * 1024 * 1024)
for at in [i for i in range(len(data)) if data[i:i + 4] == real]:
    data[at:at + 4] = struct.pack('<I', 1000)
save('zip-bomb-lying-size.xlsx', bytes(data))

good = package(compression=zipfile.ZIP_STORED)
save('truncated.xlsx', good[:len(good) // 2])
at = good.index(b'12345')
save('crc-mismatch.xlsx', good[:at] + b'99999' + good[at + 5:])
save('not-a-zip.xlsx', b'Name,Value\nA,1\n')
save('empty.xlsx', b'')
