// The scan page's script: reads what the scanner offers from the eSCL
// capabilities, polls the server's state, and scans through eSCL jobs (a
// ScanSettings document posted, then the job's document fetched), so a scan
// from this page takes its turn with every other eSCL client. Areas are
// kept in the scanner's unit, 1/300 inch; the fields show millimetres.
'use strict';

(() => {
  const ESCL = '/eSCL';
  const PWG_NS = 'http://www.pwg.org/schemas/2010/12/sm';
  const SCAN_NS = 'http://schemas.hp.com/imaging/escl/2011/05/03';
  const MM_PER_UNIT = 25.4 / 300;
  const POLL_MS = 1500;
  // A drag shorter than this (in screen pixels) is a click, not an area.
  const MIN_DRAG_PX = 4;

  const MODE_NAMES = {
    RGB24: 'Colour',
    RGB48: 'Colour, 16 bits per sample',
    Grayscale8: 'Grey',
    Grayscale16: 'Grey, 16 bits per sample',
    BlackAndWhite1: 'Black and white',
  };
  const SIXTEEN_BIT_MODES = ['RGB48', 'Grayscale16'];
  const FORMATS = {
    'image/png': { name: 'PNG', extension: 'png' },
    'image/jpeg': { name: 'JPEG', extension: 'jpg' },
    'application/pdf': { name: 'PDF', extension: 'pdf' },
  };

  const $ = (id) => document.getElementById(id);
  const ui = {
    name: $('scanner-name'),
    state: $('scanner-state'),
    platen: $('platen'),
    image: $('preview-image'),
    selection: $('selection'),
    preview: $('preview-button'),
    form: $('scan-form'),
    fields: {
      x: $('area-left'),
      y: $('area-top'),
      w: $('area-width'),
      h: $('area-height'),
    },
    whole: $('whole-button'),
    mode: $('mode'),
    resolution: $('resolution'),
    format: $('format'),
    scan: $('scan-button'),
    progress: $('progress'),
    progressText: $('progress-text'),
    message: $('message'),
  };

  // What the scanner offers, from ScannerCapabilities.
  let scanner = null;
  // The area to scan, in 1/300 inch: {x, y, w, h}.
  let area = null;
  // The server's state: {state: 'checking'|'idle'|'scanning'|'held', job}.
  let server = { state: 'checking', job: 0 };
  // The job this page runs, while it runs.
  let ownJob = null;
  let previewUrl = null;
  let drag = null;

  const clamp = (value, low, high) => Math.min(Math.max(value, low), high);

  function say(text, isError) {
    ui.message.textContent = text;
    ui.message.classList.toggle('error', Boolean(isError));
  }

  // --- What the scanner offers ---------------------------------------------

  function readCapabilities(xml) {
    const doc = new DOMParser().parseFromString(xml, 'application/xml');
    const all = (name) =>
      [...doc.getElementsByTagNameNS('*', name)].map((element) => element.textContent.trim());
    const number = (name) => Number(all(name)[0]);
    const formats = all('DocumentFormatExt').length ? all('DocumentFormatExt') : all('DocumentFormat');
    const resolutions = [...doc.getElementsByTagNameNS(SCAN_NS, 'DiscreteResolution')]
      .map((element) => Number(element.getElementsByTagNameNS(SCAN_NS, 'XResolution')[0].textContent))
      .filter((dpi) => dpi > 0);
    return {
      name: all('MakeAndModel')[0] || 'Scanner',
      minWidth: Math.max(number('MinWidth') || 1, 1),
      minHeight: Math.max(number('MinHeight') || 1, 1),
      maxWidth: number('MaxWidth'),
      maxHeight: number('MaxHeight'),
      modes: all('ColorMode'),
      formats: [...new Set(formats)],
      resolutions: [...new Set(resolutions)].sort((a, b) => a - b),
    };
  }

  function option(select, value, text) {
    const element = document.createElement('option');
    element.value = value;
    element.textContent = text;
    select.append(element);
  }

  function offer(caps) {
    scanner = caps;
    ui.name.textContent = caps.name;
    document.title = caps.name;
    ui.platen.style.aspectRatio = `${caps.maxWidth} / ${caps.maxHeight}`;
    for (const mode of caps.modes) option(ui.mode, mode, MODE_NAMES[mode] || mode);
    for (const dpi of caps.resolutions) option(ui.resolution, dpi, `${dpi} dpi`);
    for (const mime of caps.formats) option(ui.format, mime, (FORMATS[mime] || { name: mime }).name);
    ui.resolution.value = caps.resolutions.includes(150) ? '150' : String(caps.resolutions[0]);
    ui.fields.x.max = ui.fields.w.max = (caps.maxWidth * MM_PER_UNIT).toFixed(1);
    ui.fields.y.max = ui.fields.h.max = (caps.maxHeight * MM_PER_UNIT).toFixed(1);
    setArea({ x: 0, y: 0, w: caps.maxWidth, h: caps.maxHeight });
    matchFormatToMode();
    update();
  }

  async function loadCapabilities() {
    try {
      const response = await fetch(`${ESCL}/ScannerCapabilities`);
      if (!response.ok) throw new Error(await response.text());
      offer(readCapabilities(await response.text()));
    } catch (error) {
      ui.state.textContent = `The scanner cannot be reached yet: ${error.message.trim()}`;
      setTimeout(loadCapabilities, 3000);
    }
  }

  // JPEG holds 8-bit samples only: a 16-bit mode offers no JPEG.
  function matchFormatToMode() {
    const sixteen = SIXTEEN_BIT_MODES.includes(ui.mode.value);
    for (const element of ui.format.options) {
      element.disabled = sixteen && element.value === 'image/jpeg';
    }
    if (ui.format.selectedOptions[0] && ui.format.selectedOptions[0].disabled) {
      const usable = [...ui.format.options].find((element) => !element.disabled);
      if (usable) ui.format.value = usable.value;
    }
  }

  // --- The area --------------------------------------------------------------

  // Keeps the area on the flatbed and at least the scanner's smallest size.
  function fitted(wanted) {
    const x = clamp(Math.round(wanted.x), 0, scanner.maxWidth - scanner.minWidth);
    const y = clamp(Math.round(wanted.y), 0, scanner.maxHeight - scanner.minHeight);
    return {
      x,
      y,
      w: clamp(Math.round(wanted.w), scanner.minWidth, scanner.maxWidth - x),
      h: clamp(Math.round(wanted.h), scanner.minHeight, scanner.maxHeight - y),
    };
  }

  function setArea(wanted) {
    area = fitted(wanted);
    for (const key of Object.keys(ui.fields)) {
      ui.fields[key].value = (area[key] * MM_PER_UNIT).toFixed(1);
    }
    const box = ui.selection.style;
    box.left = `${(100 * area.x) / scanner.maxWidth}%`;
    box.top = `${(100 * area.y) / scanner.maxHeight}%`;
    box.width = `${(100 * area.w) / scanner.maxWidth}%`;
    box.height = `${(100 * area.h) / scanner.maxHeight}%`;
    ui.selection.hidden = false;
  }

  function areaFromFields() {
    const wanted = {};
    for (const key of Object.keys(ui.fields)) {
      const mm = Number(ui.fields[key].value);
      wanted[key] = Number.isFinite(mm) && ui.fields[key].value !== '' ? mm / MM_PER_UNIT : area[key];
    }
    setArea(wanted);
  }

  // The flatbed position under a pointer event, in 1/300 inch.
  function pointAt(event) {
    const box = ui.platen.getBoundingClientRect();
    return {
      x: clamp((event.clientX - box.left) / box.width, 0, 1) * scanner.maxWidth,
      y: clamp((event.clientY - box.top) / box.height, 0, 1) * scanner.maxHeight,
      px: event.clientX,
      py: event.clientY,
    };
  }

  function dragTo(event) {
    const end = pointAt(event);
    if (Math.abs(end.px - drag.px) < MIN_DRAG_PX && Math.abs(end.py - drag.py) < MIN_DRAG_PX) return;
    setArea({
      x: Math.min(drag.x, end.x),
      y: Math.min(drag.y, end.y),
      w: Math.abs(end.x - drag.x),
      h: Math.abs(end.y - drag.y),
    });
  }

  ui.platen.addEventListener('pointerdown', (event) => {
    if (!scanner || event.button !== 0 || ownJob) return;
    event.preventDefault();
    ui.platen.setPointerCapture(event.pointerId);
    drag = pointAt(event);
  });
  ui.platen.addEventListener('pointermove', (event) => {
    if (drag) dragTo(event);
  });
  for (const end of ['pointerup', 'pointercancel']) {
    ui.platen.addEventListener(end, (event) => {
      if (!drag) return;
      dragTo(event);
      drag = null;
    });
  }
  for (const field of Object.values(ui.fields)) field.addEventListener('change', areaFromFields);
  ui.whole.addEventListener('click', () =>
    setArea({ x: 0, y: 0, w: scanner.maxWidth, h: scanner.maxHeight }),
  );
  ui.mode.addEventListener('change', matchFormatToMode);

  // --- The server's state ----------------------------------------------------

  function update() {
    const state = ownJob ? 'own' : server.state;
    const ready = Boolean(scanner) && !ownJob && server.state === 'idle';
    ui.preview.disabled = !ready;
    ui.scan.disabled = !ready;
    ui.whole.disabled = !scanner;
    ui.state.dataset.state = server.state;
    const texts = {
      own: 'Scanning for this page…',
      idle: 'Ready',
      checking: 'Checking the scanner…',
      scanning: 'Busy: the scanner is scanning for another client. Scan is offered again when it is done.',
      held: 'Busy: another program is using the scanner. Scan is offered again when it gives the scanner back.',
      offline: 'The server does not answer; is zorvik_share still running?',
    };
    if (scanner) ui.state.textContent = texts[state];
  }

  // A page out of sight asks nothing: the state makes the server look at
  // the scanner.
  async function poll() {
    if (document.hidden) {
      setTimeout(poll, POLL_MS);
      return;
    }
    try {
      const response = await fetch('/state.json', { cache: 'no-store' });
      server = await response.json();
    } catch {
      server = { state: 'offline', job: 0 };
    }
    update();
    setTimeout(poll, POLL_MS);
  }

  // --- Scanning ----------------------------------------------------------------

  const escaped = (text) =>
    String(text).replace(/[<>&"']/g, (c) => `&#${c.charCodeAt(0)};`);

  function scanSettings(job) {
    return `<?xml version="1.0" encoding="UTF-8"?>
<scan:ScanSettings xmlns:pwg="${PWG_NS}" xmlns:scan="${SCAN_NS}">
<pwg:Version>2.0</pwg:Version>
<pwg:ScanRegions><pwg:ScanRegion>
<pwg:ContentRegionUnits>escl:ThreeHundredthsOfInches</pwg:ContentRegionUnits>
<pwg:XOffset>${job.area.x}</pwg:XOffset><pwg:YOffset>${job.area.y}</pwg:YOffset>
<pwg:Width>${job.area.w}</pwg:Width><pwg:Height>${job.area.h}</pwg:Height>
</pwg:ScanRegion></pwg:ScanRegions>
<pwg:InputSource>Platen</pwg:InputSource>
<scan:ColorMode>${escaped(job.mode)}</scan:ColorMode>
<pwg:DocumentFormat>${escaped(job.format)}</pwg:DocumentFormat>
<scan:XResolution>${job.dpi}</scan:XResolution><scan:YResolution>${job.dpi}</scan:YResolution>
</scan:ScanSettings>`;
  }

  // A refused or failed job in words, with the server's own reason: the
  // scanner's words for a driver error first, the whole report after them.
  async function failure(response, doing) {
    const reason = (await response.text()).trim();
    const lead = {
      409: `The scanner cannot make this ${doing}`,
      503: 'The scanner is busy',
    }[response.status] || `The ${doing} failed`;
    if (!reason) return new Error(`${lead} (HTTP ${response.status}).`);
    const scannerWords = /driver error \d+ \(([^)]+)\)/.exec(reason);
    if (!scannerWords) return new Error(`${lead}: ${reason}`);
    return new Error(`${lead}: ${scannerWords[1]}.\n${reason}`);
  }

  // Runs one eSCL job and gives its document.
  async function runJob(job, doing, progressText) {
    ownJob = 'starting';
    ui.progressText.textContent = progressText;
    ui.progress.hidden = false;
    say('');
    update();
    try {
      const created = await fetch(`${ESCL}/ScanJobs`, {
        method: 'POST',
        headers: { 'Content-Type': 'text/xml' },
        body: scanSettings(job),
      });
      if (created.status !== 201) throw await failure(created, doing);
      const location = created.headers.get('Location');
      ownJob = Number(location.split('/').pop());
      const documentResponse = await fetch(`${location}/NextDocument`);
      if (!documentResponse.ok) throw await failure(documentResponse, doing);
      return await documentResponse.blob();
    } finally {
      ownJob = null;
      ui.progress.hidden = true;
      update();
    }
  }

  function fileName(mime) {
    const now = new Date();
    const two = (n) => String(n).padStart(2, '0');
    const extension = (FORMATS[mime] || { extension: 'bin' }).extension;
    return (
      `scan-${now.getFullYear()}-${two(now.getMonth() + 1)}-${two(now.getDate())}-` +
      `${two(now.getHours())}${two(now.getMinutes())}${two(now.getSeconds())}.${extension}`
    );
  }

  ui.preview.addEventListener('click', async () => {
    const job = {
      area: { x: 0, y: 0, w: scanner.maxWidth, h: scanner.maxHeight },
      dpi: scanner.resolutions[0],
      mode: scanner.modes.includes('RGB24') ? 'RGB24' : scanner.modes[0],
      format: scanner.formats.includes('image/jpeg') ? 'image/jpeg' : 'image/png',
    };
    try {
      const image = await runJob(job, 'preview', `Previewing the whole flatbed at ${job.dpi} dpi…`);
      if (previewUrl) URL.revokeObjectURL(previewUrl);
      previewUrl = URL.createObjectURL(image);
      ui.image.src = previewUrl;
      ui.image.alt = 'Preview of the whole flatbed';
      ui.image.hidden = false;
      say('Preview ready: drag on it to choose the area to scan.');
    } catch (error) {
      say(error.message, true);
    }
  });

  ui.form.addEventListener('submit', async (event) => {
    event.preventDefault();
    areaFromFields();
    const job = {
      area,
      dpi: Number(ui.resolution.value),
      mode: ui.mode.value,
      format: ui.format.value,
    };
    try {
      const file = await runJob(
        job,
        'scan',
        `Scanning at ${job.dpi} dpi; the file comes when the scan is complete…`,
      );
      const name = fileName(job.format);
      const link = document.createElement('a');
      link.href = URL.createObjectURL(file);
      link.download = name;
      document.body.append(link);
      link.click();
      link.remove();
      setTimeout(() => URL.revokeObjectURL(link.href), 60000);
      say(`Saved ${name} (${Math.max(1, Math.round(file.size / 1024))} KB).`);
    } catch (error) {
      say(error.message, true);
    }
  });

  loadCapabilities();
  poll();
})();
