// A page's use of vardel-puente, type-checked against index.d.ts through
// the package's own name (as an application imports it) by `tsc -p
// clients/web`. Never run. The @ts-expect-error lines are misuses the
// declarations must refuse.
import { ErrorPuente, MAX_HISTORIAL, Puente } from 'vardel-puente';
import type { EventoDocumento, EventoHistorial, EventoProtocolo } from 'vardel-puente';

const puente = new Puente({ puerto: 8765, reconexionMs: 500, reconexionMaximaMs: 10_000, almacen: null });
// @ts-expect-error: the port is a number
new Puente({ puerto: '8765' });

const muestra = (evento: EventoHistorial): string => {
  switch (evento.tipo) {
    case 'documento':
      return `${evento.documento} ${evento.datos?.NumDoc ?? ''} ${evento.pendiente === true ? 'pendiente' : ''}`;
    case 'atasco':
      return evento.aviso;
    case 'lectura_interrumpida':
    case 'lectora_perdida':
    case 'detenida':
      return String(evento.ultimo_documento);
    case 'resumen':
      return `${evento.documentos + evento.atascos} ${evento.volver_a_pasar.join(',')}`;
    case 'captura_fallida':
      return String(evento.resultado);
    case 'error_lectora':
      return evento.descripcion;
    case 'mensaje':
      return evento.respuesta;
  }
};
puente.historial().slice(-MAX_HISTORIAL).forEach(muestra);

puente.on('documento', async (evento) => {
  const iderr: number | undefined = evento.datos?.IDERR;
  const importe: number | null | undefined = evento.datos?.Importe;
  for (const url of evento.imagenes) await puente.imagen(url);
  // @ts-expect-error: a document has no texto
  void evento.texto;
  void [iderr, importe];
});
puente
  .on('atasco', (e) => void e.texto)
  .on('mensaje', (e) => void e.titulo)
  .on('captura_fallida', (e) => void e.aviso)
  .on('error_lectora', (e) => void e.numero)
  .on('resumen', (e) => void e.cheques)
  .on('lectora_perdida', (e) => void e.datos)
  .on('detenida', (e) => void e.motivo)
  .on('lectura_interrumpida', (e) => void e.aviso)
  .on('lectora', (e) => void e.conectada)
  .on('bienvenida', (e) => void (e.reanudada && e.token))
  .on('respuesta', (e) => void (e.ok ? e.id : e.numero))
  .on('conexion', (e) => {
    if (e.error?.codigo === 'sin_puente' || e.error?.codigo === 'origen_no_permitido') void e.error.detalle;
    void [e.estado, e.esperaMs, e.bienvenida?.leyendo];
  })
  .on('*', (e) => void e.tipo);
// @ts-expect-error: no such event
puente.on('documentos', () => {});
// @ts-expect-error: a jam handler gets no document number
puente.on('atasco', (e) => void e.documento);

const manejador = (e: EventoDocumento) => void e.aviso;
puente.on('documento', manejador).off('documento', manejador);

async function lee(): Promise<void> {
  const bienvenida = await puente.conecta();
  void bienvenida.max_mensaje;
  await puente.vigilar(true);
  const estado = await puente.estado();
  if (!estado.conectada) void estado.detalle;
  try {
    const respuesta = await puente.leer();
    if (respuesta.final === null) void 0;
    void respuesta.resumen?.volver_a_pasar;
  } catch (error) {
    if (error instanceof ErrorPuente && error.numero === 1001) void error.descripcion;
  }
  puente.recibido(1);
  // @ts-expect-error: documents are named by number
  puente.recibido('1');
  void puente.pendientes.size;
  void puente.socket?.readyState;
  void puente.base;
  puente.limpiaHistorial();
  puente.cierra();
}
void lee;

const evento = JSON.parse('{}') as EventoProtocolo;
if (evento.tipo === 'documento') void evento.no_guardadas.map((n) => n.ruta);
