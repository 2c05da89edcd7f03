// The web bridge in a real browser: Debian's chromium, headless, driven by
// playwright-core, runs the example teller page (examples/cajero-web) and
// the client package it imports (clients/web) from a small static server on
// another loopback port, against `vardel serve` (or
// `vardel.exe serve` under Wine) started in a fresh folder with the sample
// tray. Checks that:
//   - the page of the allowed origin, opened before its bridge runs, says
//     that no bridge answers (not that its origin is refused) and connects
//     once the bridge starts;
//   - it reads the tray twice and shows every document `vardel read --json`
//     reports for the same tray, with the same fields, each once under its
//     own number, even though its connection is cut mid-read (the client
//     reconnects with its token and the bridge sends the rest again);
//   - reloaded in the middle of a third read, it shows every document once,
//     each card with its state, each jam once, and the read's summary;
//   - every image the page fetched hashes equal to the file the bridge stored;
//   - an image URL without the token, or with another, is refused;
//   - the bridge stops on SIGTERM without a sanitizer's report;
//   - a page of another origin gets neither the health answer nor the
//     WebSocket, and says that its origin is not allowed;
//   - against a bridge back from a crash, played by the test through
//     Playwright's routing, the page shows the recovered documents as
//     pending, the interrupted read and the stop, and reconnects with the
//     session it was given.
// --captura saves a screenshot of the page after the reload. With --medir
// N it measures instead (docs/performance.md): N reads through
// the page with --marcas-tiempo, and N runs of `vardel read`.
//
//   node prueba_navegador.mjs --bin BUILD/bin --trabajo FOLDER --ejemplo examples/cajero-web
//                             [--cliente clients/web] [--captura PAGE.png]
//                             [--emulador scripts/wine-run] [--navegador /usr/bin/chromium]
//                             [--medir N [--retardo MS]]
// Exit code 77 (skipped) only when the browser is missing outside CI.
import { spawn } from 'node:child_process';
import { createHash } from 'node:crypto';
import fs from 'node:fs';
import http from 'node:http';
import net from 'node:net';
import path from 'node:path';
import { fileURLToPath } from 'node:url';

const aqui = path.dirname(fileURLToPath(import.meta.url));
const opciones = { navegador: '/usr/bin/chromium', emulador: '', medir: 0 };
for (let i = 2; i < process.argv.length; i += 2) {
  opciones[process.argv[i].replace(/^--/, '')] = process.argv[i + 1];
}
const windows = Boolean(opciones.emulador);
const fallos = [];
const comprueba = (condicion, texto) => {
  if (!condicion) fallos.push(texto);
  return condicion;
};
const termina = (codigo, texto) => {
  console.log(texto);
  process.exit(codigo);
};
// Nothing here may hang the suite (a measure takes as long as it asks).
if (!Number(opciones.medir)) {
  setTimeout(() => termina(1, 'FAIL: the browser test took over 150 s'), 150_000).unref();
}

if (!fs.existsSync(opciones.navegador)) {
  const texto = `no browser at ${opciones.navegador} (scripts/setup installs Debian's chromium)`;
  termina(process.env.CI ? 1 : 77, process.env.CI ? `FAIL: ${texto}` : `SKIPPED: ${texto}`);
}
let chromium;
try {
  ({ chromium } = await import(path.join(aqui, 'node_modules/playwright-core/index.mjs')));
} catch {
  termina(1, `FAIL: no playwright-core in ${aqui}/node_modules (scripts/setup runs npm ci there)`);
}

// The folder of a counter machine: the command, the component, the
// simulator and the sample tray, with a Config.ini of its own whose images
// and log stay in the folder.
const trabajo = path.resolve(opciones.trabajo);
const imagenes = path.join(trabajo, 'imagenes');
fs.rmSync(trabajo, { recursive: true, force: true });
fs.mkdirSync(imagenes, { recursive: true });
const bin = path.resolve(opciones.bin);
const archivos = windows ? ['vardel.exe', 'mtxmlmcr.dll'] : ['vardel', 'libvardel.so.1', 'libmtxmlmcr.so'];
for (const nombre of [...archivos, 'mtxmlmcr.scenario', 'tray']) {
  fs.cpSync(path.join(bin, nombre), path.join(trabajo, nombre), { recursive: true, dereference: true });
}
const ruta = (p) => (windows ? `Z:${p.replaceAll('/', '\\')}` : p);
// --retardo MS: the simulator's time per cheque (the sample tray's is a real
// reader's, 250 ms), to measure the bridge without it.
if (opciones.retardo !== undefined) {
  const escenario = path.join(trabajo, 'mtxmlmcr.scenario');
  const texto = fs.readFileSync(escenario, 'latin1').replace(/^delay=.*$/m, `delay=${opciones.retardo}`);
  fs.writeFileSync(escenario, texto, 'latin1');
}
const config = fs
  .readFileSync(path.join(bin, 'Config.ini'), 'latin1')
  .replace(/^DirectorioImg=.*$/m, `DirectorioImg=${ruta(imagenes)}\r`)
  .replace(/^DirectorioLog=.*$/m, `DirectorioLog=${ruta(trabajo)}\r`);
fs.writeFileSync(path.join(trabajo, 'Config.ini'), config, 'latin1');
const orden = windows
  ? [path.resolve(opciones.emulador), path.join(trabajo, 'vardel.exe')]
  : [path.join(trabajo, 'vardel')];

// Runs `vardel ARGS...`; resolves with its output and how long it took.
function vardel(...argumentos) {
  return new Promise((resolver) => {
    const inicio = performance.now();
    const proceso = spawn(orden[0], [...orden.slice(1), ...argumentos], {
      cwd: trabajo,
      stdio: ['ignore', 'pipe', 'pipe'],
    });
    let salida = '';
    proceso.stdout.on('data', (d) => (salida += d));
    proceso.stderr.on('data', () => {});
    proceso.on('close', (codigo) => resolver({ codigo, salida, ms: performance.now() - inicio }));
  });
}
const lineas = (texto) =>
  texto
    .split(/\r?\n/)
    .filter((l) => l.trim())
    .map((l) => JSON.parse(l));
const base = (p) => p.split(/[\\/]/).pop();
const sha256 = (datos) => createHash('sha256').update(datos).digest('hex');

// A free loopback port for the bridge.
function puertoLibre() {
  return new Promise((resolver) => {
    const s = net.createServer().listen(0, '127.0.0.1', () => {
      const { port } = s.address();
      s.close(() => resolver(port));
    });
  });
}

// The static server of the example page and of the client package it
// imports, each folder at its place in the project (the page's import map
// names ../../clients/web/vardel.js), on its own loopback port.
function servidorEstatico() {
  const tipos = { '.html': 'text/html; charset=utf-8', '.js': 'text/javascript; charset=utf-8' };
  const carpetas = [
    ['/examples/cajero-web/', path.resolve(opciones.ejemplo)],
    ['/clients/web/', path.resolve(opciones.cliente ?? path.join(opciones.ejemplo, '../../clients/web'))],
  ];
  const servidor = http.createServer((peticion, respuesta) => {
    const ruta = new URL(peticion.url, 'http://x').pathname;
    const [prefijo, raiz] = carpetas.find(([p]) => ruta.startsWith(p)) ?? [];
    const nombre = prefijo ? path.basename(ruta.slice(prefijo.length)) || 'index.html' : '';
    const archivo = prefijo ? path.join(raiz, nombre) : '';
    if (!tipos[path.extname(nombre)] || !fs.existsSync(archivo)) {
      respuesta.writeHead(404).end();
      return;
    }
    respuesta.writeHead(200, { 'Content-Type': tipos[path.extname(nombre)] });
    respuesta.end(fs.readFileSync(archivo));
  });
  return new Promise((resolver) =>
    servidor.listen(0, '127.0.0.1', () =>
      resolver({ servidor, origen: `http://127.0.0.1:${servidor.address().port}` }),
    ),
  );
}

// The bridge for the allowed origin; resolves once its health answer comes.
async function arrancaPuente(intento, puerto, origen, ...extra) {
  const registro = fs.openSync(path.join(trabajo, 'puente.salida'), 'w');
  const proceso = spawn(
    orden[0],
    [...orden.slice(1), 'serve', '--port', String(puerto), '--allow-origin', origen, ...extra],
    { cwd: trabajo, stdio: ['ignore', registro, registro] },
  );
  let salido = null;
  proceso.on('exit', (codigo) => (salido = codigo ?? 'signal'));
  const limite = Date.now() + 60_000;
  while (Date.now() < limite && salido === null) {
    try {
      const r = await fetch(`http://127.0.0.1:${puerto}/v1/estado`);
      if (r.ok) return proceso;
    } catch {
      // not listening yet
    }
    await new Promise((r) => setTimeout(r, 200));
  }
  const salida = fs.readFileSync(path.join(trabajo, 'puente.salida'), 'utf8');
  // Another program may have taken the free port since it was found.
  if (salido === 1 && intento < 3) return null;
  termina(1, `FAIL: the bridge did not answer /v1/estado (exit: ${salido})\n${salida}`);
}

// What the command reports for the tray: the reference.
const referencia = await vardel('read', '--json');
const esperado = lineas(referencia.salida);
const documentosEsperados = esperado.filter((e) => e.tipo === 'documento');
if (!comprueba(documentosEsperados.length > 0, `vardel read --json read no document: ${referencia.salida}`)) {
  termina(1, `FAIL: ${fallos.join('\n')}`);
}

const permitido = await servidorEstatico();
const ajeno = await servidorEstatico();
const medir = Number(opciones.medir);
const navegador = await chromium.launch({ executablePath: opciones.navegador, headless: true });
const mensajesPagina = [];
const erroresPagina = [];
let puerto;
async function abre(origen, reconexion = 1000) {
  const pagina = await navegador.newPage();
  pagina.on('console', (m) => mensajesPagina.push(`${origen}: ${m.text()}`));
  pagina.on('pageerror', (e) => erroresPagina.push(`${origen}: ${e.message}`));
  await pagina.goto(`${origen}/examples/cajero-web/index.html?puerto=${puerto}&reconexion=${reconexion}`);
  return pagina;
}

// The allowed origin's page is opened before its bridge runs: it must say
// that nothing listens (not that its origin is refused), pointing to the
// IT guide, and connect by itself once the bridge starts.
let puente = null;
let primera = null;
for (let intento = 1; !puente; intento++) {
  puerto = await puertoLibre();
  if (!medir) {
    primera = await abre(permitido.origen, 250);
    try {
      await primera.waitForSelector('#conexion[data-error="sin_puente"]', { timeout: 20_000 });
    } catch {
      const estado = await primera.$eval('#conexion', (e) => `${e.dataset.error}: ${e.textContent}`);
      await navegador.close();
      termina(1, `FAIL: a page without its bridge does not say so (${estado})`);
    }
    const texto = await primera.textContent('#avisos p[data-tipo="conexion"]');
    comprueba(texto.includes('web-bridge-it.md'), `a page without its bridge says: ${texto}`);
  }
  puente = await arrancaPuente(intento, puerto, permitido.origen, ...(medir ? ['--marcas-tiempo'] : []));
  if (!puente) await primera?.close();
}

try {
  if (medir) {
    await mide(medir);
  } else {
    await pruebaPermitida(primera);
    await pruebaAjena();
    await pruebaTrasReinicio();
  }
} catch (error) {
  fallos.push(error.stack);
} finally {
  await navegador.close();
  // The bridge stops on SIGTERM, without a sanitizer's report.
  comprueba(puente.exitCode === null && puente.signalCode === null, `the bridge ended early (${puente.exitCode})`);
  const parada = new Promise((resolver) => puente.on('exit', () => resolver(true)));
  puente.kill();
  const plazo = new Promise((r) => setTimeout(() => r(false), 20_000));
  comprueba(await Promise.race([parada, plazo]), 'the bridge did not stop on SIGTERM');
  const salidaPuente = fs.readFileSync(path.join(trabajo, 'puente.salida'), 'utf8');
  comprueba(!/Sanitizer/.test(salidaPuente), 'a sanitizer reported on the bridge');
  permitido.servidor.close();
  ajeno.servidor.close();
}
comprueba(erroresPagina.length === 0, `uncaught errors in the page:\n${erroresPagina.join('\n')}`);
if (fallos.length) {
  console.log(`bridge output:\n${fs.readFileSync(path.join(trabajo, 'puente.salida'), 'utf8')}`);
  console.log(`page console:\n${mensajesPagina.join('\n')}`);
  termina(1, `FAIL:\n${fallos.join('\n')}`);
}
if (!medir) {
  const n = documentosEsperados.length;
  termina(
    0,
    `browser test: three reads of ${n} documents shown, once each across a cut and a reload, images equal, ` +
      'no bridge and foreign origin told apart, a restarted bridge\'s pending documents shown: ok',
  );
}
termina(0, '');

async function pruebaPermitida(pagina) {
  await pagina.waitForSelector('#conexion[data-estado="conectado"]', { timeout: 30_000 });
  // The page asks for presence events and shows the simulator's reader.
  await pagina.waitForSelector('#lectora[data-conectada="true"]', { timeout: 20_000 });
  // Every event the page's client gets, and a cut of the connection while
  // it handles document 2, before acknowledging it.
  await pagina.evaluate(() => {
    window.eventos = [];
    window.cajero.puente.on('*', (e) => window.eventos.push(e));
    window.cajero.puente.on('documento', (e) => {
      if (e.documento === 2 && !window.cortada) {
        window.cortada = true;
        window.cajero.puente.socket.close();
      }
    });
  });
  // Two reads, as a teller does: the bridge numbers documents across its
  // run, so the second read's do not repeat the first's.
  const lecturas = 2;
  const todos = Array.from({ length: lecturas }, () => documentosEsperados).flat();
  const frentes = documentosEsperados.filter((d) => d.imagenes.some((p) => /^(ERR)?ANV.*\.jpg$/i.test(base(p))));
  for (let vez = 1; vez <= lecturas; vez++) {
    await pagina.click('#leer');
    try {
      await pagina.waitForFunction(
        ([v, n, f]) =>
          window.eventos.filter((e) => e.tipo === 'resumen').length >= v &&
          window.cajero.puente.pendientes.size === 0 &&
          document.querySelectorAll('.cheque').length >= n &&
          document.querySelectorAll('.cheque img').length >= f,
        [vez, vez * documentosEsperados.length, vez * frentes.length],
        { timeout: 60_000 },
      );
    } catch {
      const shown = await pagina.$$eval('.cheque', (ts) => ts.map((t) => t.dataset.documento));
      throw new Error(`read ${vez} did not end with every document shown; shown: ${shown}`);
    }
  }

  // Each document once (the client hands a document sent again to its
  // handlers only if they failed on it: keep the last of each number), as
  // vardel read reports it; an unreadable line's error number (IDERR, and
  // in its images' names) is the next free one, so it is left out.
  const eventos = await pagina.evaluate(() => window.eventos);
  const documentos = [...new Map(eventos.filter((e) => e.tipo === 'documento').map((d) => [d.documento, d])).values()];
  const forma = (d, i, url) =>
    JSON.stringify([i + 1, d.datos, d.aviso, d.imagenes.map(url)])
      .replace(/"IDERR":\d+/, '"IDERR":n')
      .replace(/ERR(ANV|REV)\d+/g, 'ERR$1n');
  const vistos = documentos.sort((x, y) => x.documento - y.documento).map((d) => forma(d, d.documento - 1, (u) => u));
  const debidos = todos.map((d, i) => forma(d, i, (p) => `/v1/imagenes/${base(p)}`));
  const [visto, debido] = [vistos.join('\n'), debidos.join('\n')];
  comprueba(visto === debido, `documents:\n${visto}\nexpected:\n${debido}`);
  comprueba(await pagina.evaluate(() => window.cortada === true), 'the connection was never cut');
  for (const tipo of ['atasco', 'resumen']) {
    const n = (lista) => lista.filter((e) => e.tipo === tipo).length;
    comprueba(n(eventos) === lecturas * n(esperado), `${tipo} events differ from vardel read's`);
  }

  // What the page shows: a card per document with its NumDoc and, where
  // the cheque has a front JPEG, that image decoded; each jam as a card.
  const tarjetas = await pagina.$$eval('.cheque', (ts) =>
    ts
      .map((t) => [
        Number(t.dataset.documento),
        t.querySelector('[data-campo="NumDoc"]')?.textContent ?? null,
        (t.querySelector('img')?.naturalWidth ?? 0) > 0,
      ])
      .sort((x, y) => x[0] - y[0]),
  );
  const tarjetasDebidas = todos.map((d, i) => [i + 1, d.datos?.NumDoc ?? null, frentes.includes(d)]);
  comprueba(JSON.stringify(tarjetas) === JSON.stringify(tarjetasDebidas), `cards ${JSON.stringify(tarjetas)}`);
  const atascos = lecturas * esperado.filter((e) => e.tipo === 'atasco').length;
  const tarjetasAtasco = await pagina.$$eval('#cheques .atasco', (ts) => ts.map((t) => t.textContent));
  comprueba(
    tarjetasAtasco.length === atascos && tarjetasAtasco.every((t) => t.includes('atascado')),
    `jams shown ${JSON.stringify(tarjetasAtasco)}, expected ${atascos}`,
  );

  // The bytes of every image, fetched with the token (the front images the
  // page showed, as it fetched them), against the files the bridge stored.
  const huellas = await pagina.evaluate(async (urls) => {
    const hex = (b) => [...new Uint8Array(b)].map((x) => x.toString(16).padStart(2, '0')).join('');
    const resultado = {};
    for (const url of urls) {
      const blob = window.cajero.imagenes.get(url) ?? (await window.cajero.puente.imagen(url));
      resultado[url] = hex(await crypto.subtle.digest('SHA-256', await blob.arrayBuffer()));
    }
    return resultado;
  }, documentos.flatMap((d) => d.imagenes));
  comprueba(Object.keys(huellas).length > 0, 'no image fetched');
  for (const [url, huella] of Object.entries(huellas)) {
    const archivo = path.join(imagenes, base(url));
    comprueba(fs.existsSync(archivo) && sha256(fs.readFileSync(archivo)) === huella, `${url} differs from ${archivo}`);
  }

  // An image URL without the token, or with a token of no connection.
  const url = Object.keys(huellas)[0];
  const sinToken = await pagina.evaluate(async (u) => {
    try {
      return (await fetch(`${window.cajero.puente.base}${u}`)).status;
    } catch (error) {
      return String(error);
    }
  }, url);
  comprueba(sinToken !== 200, `an image without the token was served (${sinToken})`);
  const otroToken = await fetch(`http://127.0.0.1:${puerto}${url}`, { headers: { Authorization: 'Bearer 00ff00ff' } });
  comprueba([401, 403].includes(otroToken.status), `an image with a wrong token: HTTP ${otroToken.status}`);

  await recargaAMitad(pagina, lecturas, frentes);
  await pagina.close();
}

// A third read, and the page reloaded once two of its documents are shown:
// the reloaded page shows again what the tab had shown, and gets the rest
// from the bridge (what it sends again and what it goes on reading), each
// document exactly once, each jam once, every card with its state and, where
// the cheque has a front JPEG, that image; then the read's summary, which
// counts the jammed cheque too.
async function recargaAMitad(pagina, lecturas, frentes) {
  const n = documentosEsperados.length;
  const atascos = esperado.filter((e) => e.tipo === 'atasco').length;
  await pagina.click('#leer');
  await pagina.waitForFunction((m) => document.querySelectorAll('.cheque').length >= m, lecturas * n + 2, {
    timeout: 60_000,
  });
  await pagina.reload();
  const total = lecturas + 1;
  const listo = ([t, f]) =>
    window.cajero.puente.bienvenida !== null &&
    window.cajero.puente.historial().filter((e) => e.tipo === 'resumen').length >= t &&
    new Set([...document.querySelectorAll('.cheque')].map((c) => c.dataset.documento)).size >= t * f[0] &&
    document.querySelectorAll('.cheque img').length >= t * f[1];
  const tarjetas = () =>
    pagina.$$eval('.cheque', (ts) =>
      ts.map((t) => [
        Number(t.dataset.documento),
        t.querySelector('[data-campo="NumDoc"]')?.textContent ?? null,
        (t.querySelector('img')?.naturalWidth ?? 0) > 0,
        t.dataset.estado,
      ]),
    );
  try {
    await pagina.waitForFunction(listo, [total, [n, frentes.length]], { timeout: 60_000 });
  } catch {
    throw new Error(`after the reload the read did not end with every document shown: ${JSON.stringify(await tarjetas())}`);
  }
  // Whatever comes late comes now: nothing may show twice.
  await pagina.waitForTimeout(1000);
  const vistas = (await tarjetas()).sort((x, y) => x[0] - y[0]);
  const debidas = Array.from({ length: total }, () => documentosEsperados)
    .flat()
    .map((d, i) => [i + 1, d.datos?.NumDoc ?? null, frentes.includes(d), d.aviso ? 'volver' : 'leido']);
  comprueba(JSON.stringify(vistas) === JSON.stringify(debidas), `cards after the reload ${JSON.stringify(vistas)}`);
  // A card sent again replaces its own: what the client handed the page
  // (kept across the reload) must hold each number once too.
  const entregados = await pagina.evaluate(() =>
    window.cajero.puente
      .historial()
      .filter((e) => e.tipo === 'documento')
      .map((e) => e.documento)
      .sort((x, y) => x - y),
  );
  const unoACada = Array.from({ length: total * n }, (_, i) => i + 1);
  comprueba(JSON.stringify(entregados) === JSON.stringify(unoACada), `documents handed: ${entregados}`);
  const [restauradas, nuevas] = await pagina.$$eval('.cheque', (ts) => [
    ts.filter((t) => 'restaurado' in t.dataset).length,
    ts.filter((t) => !('restaurado' in t.dataset)).length,
  ]);
  comprueba(restauradas >= lecturas * n && nuevas > 0, `the reload came too late: ${restauradas} restored, ${nuevas} after`);
  comprueba(
    (await pagina.$$('#cheques .atasco')).length === total * atascos,
    `jams shown: ${(await pagina.$$('#cheques .atasco')).length}, expected ${total * atascos}`,
  );
  // An unreadable line's error number shows as the number it is.
  for (const numero of await pagina.$$eval('[data-campo="IDERR"]', (cs) => cs.map((c) => c.textContent))) {
    comprueba(/^\d+$/.test(numero), `IDERR shown as ${numero}`);
  }
  if (opciones.captura) await pagina.screenshot({ path: opciones.captura, fullPage: true });
  const resumen = await pagina.textContent('#resumen');
  comprueba(resumen.includes(`${n + atascos} cheque`), `the summary does not count every cheque: ${resumen}`);
}

async function pruebaAjena() {
  const pagina = await abre(ajeno.origen);
  await pagina.waitForSelector('#avisos p', { timeout: 20_000 });
  comprueba(await pagina.$eval('#conexion', (e) => e.dataset.estado === 'desconectado'), 'a foreign page connected');
  const [error, texto] = await pagina.$eval('#conexion', (e) => [
    e.dataset.error,
    document.querySelector('#avisos p[data-tipo="conexion"]')?.textContent ?? '',
  ]);
  comprueba(error === 'origen_no_permitido', `a foreign page tells ${error}, not origen_no_permitido`);
  comprueba(texto.includes('web-bridge-it.md'), `a foreign page says: ${texto}`);
  // The WebSocket itself, without the health answer first.
  const resultado = await pagina.evaluate(
    (p) =>
      new Promise((resolver) => {
        const socket = new WebSocket(`ws://127.0.0.1:${p}/v1/lectora`);
        socket.onmessage = (m) => resolver(`message: ${m.data}`);
        socket.onclose = () => resolver('refused');
        setTimeout(() => resolver('timeout'), 10_000);
      }),
    puerto,
  );
  comprueba(resultado === 'refused', `a foreign page's WebSocket: ${resultado}`);
  await pagina.close();
}

// What a bridge that comes back after dying mid-read sends, played by the
// test itself through Playwright's routing of the page's WebSocket and
// health request: a welcome that takes up the session the page never knew
// (reanudada, another token), the documents recovered as pending (one to
// feed again), the interrupted read, then a stop (detenida and close
// 1001). The page must show both cards with their states and each notice
// once, acknowledge both, come back with the token it was given, and
// acknowledge again, without a second card, the document sent again.
async function pruebaTrasReinicio() {
  const falso = await puertoLibre();
  const token = 'ab'.repeat(16);
  const bienvenida = { tipo: 'bienvenida', version: '1', token, reanudada: true, leyendo: false };
  const datos = { NumDoc: '1234567', Entidad: '0049', Oficina: '1234', Cuenta: '0123456789', Importe: 1.5 };
  const documento = (n, extra) => ({ tipo: 'documento', documento: n, imagenes: [], no_guardadas: [], ...extra });
  const conexiones = [];
  const acuses = [];
  const pagina = await navegador.newPage();
  pagina.on('pageerror', (e) => erroresPagina.push(`bridge restarted: ${e.message}`));
  await pagina.route(`http://127.0.0.1:${falso}/v1/estado`, (ruta) =>
    ruta.fulfill({
      status: 200,
      headers: { 'Access-Control-Allow-Origin': permitido.origen, 'Content-Type': 'application/json' },
      body: JSON.stringify({ servicio: 'vardel', version: '1', lectora: true, leyendo: false, paginas: 0 }),
    }),
  );
  await pagina.routeWebSocket(/\/v1\/lectora/, (ws) => {
    const vez = conexiones.push(ws.url());
    ws.onMessage((texto) => {
      const peticion = JSON.parse(texto);
      if (peticion.orden === 'recibido') {
        acuses.push([vez, peticion.documento]);
        if (vez === 1 && peticion.documento === 102) {
          ws.send(JSON.stringify({ tipo: 'detenida', motivo: 'terminacion', ultimo_documento: 101, datos }));
          ws.close({ code: 1001, reason: 'el puente se detiene' });
        }
      } else {
        ws.send(JSON.stringify({ tipo: 'respuesta', id: peticion.id ?? null, ok: true }));
      }
    });
    ws.send(JSON.stringify(bienvenida));
    ws.send(JSON.stringify(documento(101, { datos, aviso: null, pendiente: true })));
    if (vez > 1) return;
    const ilegible = { IDERR: 7, Error: 'Error: 99 - No se ha recogido ningún dato del documento.' };
    ws.send(JSON.stringify(documento(102, { datos: ilegible, aviso: 'vuelva a pasar el talón', pendiente: true })));
    const aviso = 'vuelva a pasar los talones que salieron de la bandeja después del documento 101';
    ws.send(JSON.stringify({ tipo: 'lectura_interrumpida', ultimo_documento: 101, aviso }));
  });
  await pagina.goto(`${permitido.origen}/examples/cajero-web/index.html?puerto=${falso}&reconexion=250`);
  const limite = Date.now() + 20_000;
  while (Date.now() < limite && !(conexiones.length >= 2 && acuses.some(([v]) => v === 2))) {
    await new Promise((r) => setTimeout(r, 100));
  }
  comprueba(
    await pagina.$eval('#conexion', (e) => e.dataset.estado === 'conectado'),
    'the page did not come back after the stop',
  );
  const tarjetas = await pagina.$$eval('.cheque', (ts) => ts.map((t) => [Number(t.dataset.documento), t.dataset.estado]));
  comprueba(
    JSON.stringify(tarjetas) === JSON.stringify([[101, 'pendiente'], [102, 'volver']]),
    `after the bridge restarted, cards ${JSON.stringify(tarjetas)}`,
  );
  const avisos = await pagina.$$eval('#avisos p', (ps) => ps.map((p) => p.dataset.tipo));
  for (const tipo of ['lectura_interrumpida', 'detenida']) {
    comprueba(avisos.filter((t) => t === tipo).length === 1, `${tipo} shown ${JSON.stringify(avisos)}`);
  }
  comprueba(
    JSON.stringify(acuses) === JSON.stringify([[1, 101], [1, 102], [2, 101]]),
    `acknowledgements (connection, document): ${JSON.stringify(acuses)}`,
  );
  comprueba(
    conexiones.length === 2 && !conexiones[0].includes('token=') && conexiones[1].endsWith(`token=${token}`),
    `connections: ${conexiones.join(' ')}`,
  );
  await pagina.close();
}

// The latency from the component's event (emitido_ms, stamped by the
// bridge) to the page's handler, and the whole tray through the page
// against the command, each over `veces` reads.
async function mide(veces) {
  const pagina = await abre(permitido.origen);
  await pagina.waitForSelector('#conexion[data-estado="conectado"]', { timeout: 30_000 });
  await pagina.evaluate(() => {
    window.retardos = [];
    window.sinMarca = {};
    window.cajero.puente.on('*', (e) => {
      if (typeof e.emitido_ms === 'number') {
        window.retardos.push(performance.timeOrigin + performance.now() - e.emitido_ms);
      } else {
        window.sinMarca[e.tipo] = (window.sinMarca[e.tipo] ?? 0) + 1;
      }
    });
  });
  const bandejaPagina = [];
  const bandejaOrden = [];
  for (let i = 0; i < veces; i++) {
    bandejaPagina.push(
      await pagina.evaluate(async () => {
        const inicio = performance.now();
        await window.cajero.puente.leer();
        return performance.now() - inicio;
      }),
    );
    bandejaOrden.push((await vardel('read', '--json')).ms);
  }
  const retardos = await pagina.evaluate(() => window.retardos);
  const sinMarca = await pagina.evaluate(() => window.sinMarca);
  if (Object.keys(sinMarca).length) console.log(`events without emitido_ms: ${JSON.stringify(sinMarca)}`);
  const percentil = (valores, p) => {
    const orden = [...valores].sort((a, b) => a - b);
    return orden[Math.min(orden.length - 1, Math.ceil((p / 100) * orden.length) - 1)];
  };
  const ms = (x) => x.toFixed(2);
  console.log(`${windows ? 'vardel.exe under Wine' : 'vardel'}, ${veces} reads of the sample tray`);
  const cifras = (v) => `median ${ms(percentil(v, 50))} ms, min ${ms(Math.min(...v))} ms`;
  console.log(
    `event to page handler: ${retardos.length} events, median ${ms(percentil(retardos, 50))} ms, ` +
      `p99 ${ms(percentil(retardos, 99))} ms, max ${ms(Math.max(...retardos))} ms`,
  );
  console.log(`whole tray through the page (leer to its answer): ${cifras(bandejaPagina)}`);
  console.log(`whole tray with vardel read --json (process start to exit): ${cifras(bandejaOrden)}`);
  await pagina.close();
}
