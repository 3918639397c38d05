// Drives zorvik_share's scan page in Debian's chromium, headless, through
// puppeteer-core (no browser is downloaded). One step per run, called by
// scan_page_test.sh, which starts the servers and the other hosts:
//
//   node scan_page.js scan URL FOLDER   preview, drag an area, scan to PNG; the
//                                       download lands in FOLDER/downloads, a
//                                       screenshot after the preview in FOLDER;
//                                       prints the area the page asked for
//   node scan_page.js busy URL TEXT     the page says TEXT and offers no scan
//   node scan_page.js ready URL         the page offers Preview and Scan
//   node scan_page.js fail URL TEXT     a scan fails and the page shows TEXT
//
// Exits 0 when every check of the step held, else prints what failed.
'use strict';

const fs = require('fs');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');

const CHROMIUM = process.env.ZORVIK_CHROMIUM || '/usr/bin/chromium';
// As root, and on a machine with no way out: no sandbox, no GPU, nothing
// that reaches for the network on its own.
const CHROMIUM_FLAGS = [
  '--headless',
  '--no-sandbox',
  '--disable-gpu',
  '--disable-quic',
  '--no-first-run',
  '--disable-background-networking',
  '--disable-component-update',
  '--disable-sync',
];
const WAIT_MS = 30000;

const failures = [];
function check(what, ok) {
  if (!ok) failures.push(what);
}

async function withPage(url, work) {
  const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'zorvik-chromium-'));
  const browser = await puppeteer.launch({
    executablePath: CHROMIUM,
    headless: true,
    args: CHROMIUM_FLAGS,
    userDataDir: profile,
    defaultViewport: { width: 900, height: 760 },
  });
  try {
    const page = await browser.newPage();
    const errors = [];
    page.on('pageerror', (error) => errors.push(error.message));
    page.on('requestfailed', (request) => {
      if (!request.url().startsWith(url)) errors.push(`a request outside the server: ${request.url()}`);
    });
    await page.goto(url, { waitUntil: 'load' });
    await page.waitForFunction(() => document.getElementById('mode').options.length > 0, {
      timeout: WAIT_MS,
    });
    await work(page);
    check(`no script errors (${errors.join('; ')})`, errors.length === 0);
  } finally {
    await browser.close();
    fs.rmSync(profile, { recursive: true, force: true });
  }
}

const enabled = (page, id) => page.$eval(`#${id}`, (element) => !element.disabled);
const text = (page, id) => page.$eval(`#${id}`, (element) => element.textContent);

async function waitForReady(page) {
  await page.waitForFunction(() => !document.getElementById('scan-button').disabled, {
    timeout: WAIT_MS,
  });
}

// Every control has a label, and the page fits a phone's width.
async function checkAccessible(page) {
  const unlabelled = await page.$$eval('input, select', (controls) =>
    controls.filter((control) => control.labels.length === 0).map((control) => control.id),
  );
  check(`every control has a label (not: ${unlabelled})`, unlabelled.length === 0);
  await page.setViewport({ width: 360, height: 740 });
  const wide = await page.evaluate(() => document.documentElement.scrollWidth);
  check(`the page fits 360 pixels (it is ${wide} wide)`, wide <= 360);
  await page.setViewport({ width: 900, height: 760 });
}

async function scan(url, folder) {
  const downloads = path.join(folder, 'downloads');
  fs.mkdirSync(downloads, { recursive: true });
  let asked = null;
  await withPage(url, async (page) => {
    const cdp = await page.createCDPSession();
    await cdp.send('Browser.setDownloadBehavior', { behavior: 'allow', downloadPath: downloads });
    page.on('request', (request) => {
      if (request.method() === 'POST' && request.url().endsWith('/eSCL/ScanJobs')) {
        asked = request.postData();
      }
    });
    await checkAccessible(page);
    await waitForReady(page);
    check(`the page says the scanner is ready ("${await text(page, 'scanner-state')}")`,
      (await text(page, 'scanner-state')) === 'Ready');

    await page.click('#preview-button');
    await page.waitForFunction(
      () => {
        const image = document.getElementById('preview-image');
        return !image.hidden && image.complete && image.naturalWidth > 0;
      },
      { timeout: WAIT_MS },
    );
    await waitForReady(page);
    await page.screenshot({ path: path.join(folder, 'scan-page-after-preview.png') });

    // Drag from a fifth across and a quarter down to three fifths across
    // and half way down.
    const box = await (await page.$('#platen')).boundingBox();
    await page.mouse.move(box.x + box.width * 0.2, box.y + box.height * 0.25);
    await page.mouse.down();
    await page.mouse.move(box.x + box.width * 0.6, box.y + box.height * 0.5, { steps: 8 });
    await page.mouse.up();
    const fields = await page.$$eval('#scan-form input', (inputs) =>
      inputs.map((input) => Number(input.value)),
    );
    const flatbed = await page.$eval('#area-left', (input) => Number(input.max));
    const flatbedHeight = await page.$eval('#area-top', (input) => Number(input.max));
    const near = (value, expected) => Math.abs(value - expected) < 1.5;
    check(
      `the dragged area shows in the fields (${fields} mm of ${flatbed} x ${flatbedHeight})`,
      near(fields[0], flatbed * 0.2) &&
        near(fields[1], flatbedHeight * 0.25) &&
        near(fields[2], flatbed * 0.4) &&
        near(fields[3], flatbedHeight * 0.25),
    );

    await page.select('#mode', 'RGB24');
    await page.select('#resolution', '150');
    await page.select('#format', 'image/png');
    await page.click('#scan-button');
    const deadline = Date.now() + WAIT_MS;
    let file = null;
    while (!file && Date.now() < deadline) {
      file = fs.readdirSync(downloads).find((name) => !name.endsWith('.crdownload'));
      if (!file) await new Promise((resolve) => setTimeout(resolve, 200));
    }
    check('the scan was downloaded', Boolean(file));
    if (file) {
      check(`the file is named by date and time (${file})`,
        /^scan-\d{4}-\d\d-\d\d-\d{6}\.png$/.test(file));
      fs.renameSync(path.join(downloads, file), path.join(folder, 'scan.png'));
    }
    check(`the page says it saved the file ("${await text(page, 'message')}")`,
      (await text(page, 'message')).startsWith(`Saved ${file}`));
  });
  const value = (name) => Number((new RegExp(`<pwg:${name}>(\\d+)<`).exec(asked || '') || [])[1]);
  console.log(JSON.stringify({
    x: value('XOffset'), y: value('YOffset'), width: value('Width'), height: value('Height'),
  }));
}

async function busy(url, expected) {
  await withPage(url, async (page) => {
    await page.waitForFunction(
      (words) => document.getElementById('scanner-state').textContent.includes(words),
      { timeout: WAIT_MS },
      expected,
    );
    check('Scan is not offered', !(await enabled(page, 'scan-button')));
    check('Preview is not offered', !(await enabled(page, 'preview-button')));
  });
}

async function ready(url) {
  await withPage(url, async (page) => {
    await waitForReady(page);
    check('Preview is offered', await enabled(page, 'preview-button'));
  });
}

async function fail(url, expected) {
  await withPage(url, async (page) => {
    await waitForReady(page);
    await page.click('#scan-button');
    await page.waitForFunction(
      () => document.getElementById('message').classList.contains('error'),
      { timeout: WAIT_MS },
    );
    const message = await text(page, 'message');
    check(`the page shows the scanner's reason ("${message}")`, message.includes(expected));
    await waitForReady(page);
  });
}

async function main() {
  const [step, url, argument] = process.argv.slice(2);
  const steps = { scan, busy, ready, fail };
  if (!steps[step] || !url) {
    console.error('usage: node scan_page.js scan|busy|ready|fail URL [FOLDER|TEXT]');
    process.exit(2);
  }
  try {
    await steps[step](url, argument);
  } catch (error) {
    failures.push(error.message);
  }
  for (const failure of failures) console.error(`FAILED: ${step}: ${failure}`);
  process.exit(failures.length ? 1 : 0);
}

main();
